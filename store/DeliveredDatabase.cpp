#include "store/DeliveredDatabase.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "store/PrivateFiles.h"
#include "store/SchemaText.h"

namespace lumetra {

bool MakeDeliveredDatabase(const std::string& path, std::string* error) {
    if (::access(path.c_str(), F_OK) == 0) {
        *error = path + " already exists; it is left untouched";
        return false;
    }
    sqlite3* db = nullptr;
    // Build under a temporary name and rename at the end: a failure never leaves half a database.
    const std::string temporary = path + ".new";
    std::remove(temporary.c_str());
    std::error_code ec;
    if (!CreatePrivateFile(temporary, ec)) {
        *error = "cannot create " + temporary + ": " + ec.message();
        return false;
    }
    int rc = sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* message = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, &message);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, kSchemaSql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        *error = "cannot create " + path + ": " +
                 (message ? message
                  : db    ? sqlite3_errmsg(db)
                          : sqlite3_errstr(rc));
        sqlite3_free(message);
        sqlite3_close_v2(db);
        std::remove(temporary.c_str());
        return false;
    }
    sqlite3_close_v2(db);
    // link() refuses an existing target, so a file that appeared meanwhile is not replaced either.
    if (::link(temporary.c_str(), path.c_str()) != 0) {
        *error =
            "cannot create " + path + ": " + (errno == EEXIST ? "it already exists" : std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    std::remove(temporary.c_str());
    return true;
}

}  // namespace lumetra
