// Where the database lives. An installed program (its folder not writable, under /usr, or the bin/
// of an install tree that holds Lumetra's menu entry) keeps it in the user's data folder and
// makes it there on its first start; any other (a build folder) keeps "dbinfo.mdb" beside itself. A path
// named on the command line or in LUMETRA_DATABASE wins over both, and is never created.
#pragma once

#include <string>

namespace lumetra {

enum class DatabaseSource { kPortable, kInstalled, kOption, kEnvironment };

struct DatabaseLocation {
    std::string path;
    DatabaseSource source = DatabaseSource::kPortable;
};

// What the choice depends on; CurrentLocationInputs reads it from the running process.
struct LocationInputs {
    std::string option;       // --database PATH
    std::string environment;  // LUMETRA_DATABASE
    std::string programDir;   // with its trailing "/"
    bool programDirWritable = true;
    bool installTree = false;  // <prefix>/bin/ beside <prefix>/share/applications/<our entry>
    std::string dataHome;      // XDG_DATA_HOME
    std::string home;          // HOME
};

LocationInputs CurrentLocationInputs(const std::string& option);
// The folder of an installed program's database and its other data: $XDG_DATA_HOME/lumetra (when
// that is absolute), otherwise ~/.local/share/lumetra.
std::string UserDataFolder(const LocationInputs& inputs);
DatabaseLocation ChooseDatabaseLocation(const LocationInputs& inputs);

// Makes sure the chosen file can be opened. An installed program's missing database is created
// from the delivered schema, with its folder, and *notice tells the operator so. Any other
// missing file is left missing: returns false with *error naming the file and the command that
// makes one. An existing file keeps its contents, and its mode unless other users may read it.
bool PrepareDatabase(const DatabaseLocation& location, std::string* notice, std::string* error);

}  // namespace lumetra
