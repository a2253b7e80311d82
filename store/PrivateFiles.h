// The database holds password hashes: every file of it that Lumetra makes (the database, its
// backups, the copies a restore keeps) is readable by its owner only, and so is every folder it
// makes for them, as the XDG base directory rules ask.
#pragma once

#include <string>
#include <system_error>

namespace lumetra {

inline constexpr unsigned kPrivateFileMode = 0600;
inline constexpr unsigned kPrivateFolderMode = 0700;

// Creates `path` empty with kPrivateFileMode; false, with `ec` saying why, when it exists already
// or cannot be made. SQLite then writes into it as into a new database.
bool CreatePrivateFile(const std::string& path, std::error_code& ec);
// Makes every missing folder of `folder` with kPrivateFolderMode; folders that exist keep theirs.
bool CreatePrivateFolders(const std::string& folder, std::error_code& ec);
// An existing database file that other users may read or write: their access is withdrawn, and
// the log says so; any other file keeps its mode.
void WithdrawFromOthers(const std::string& path);

}  // namespace lumetra
