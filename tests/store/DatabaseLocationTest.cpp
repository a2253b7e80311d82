// Where the database lives, and what a start does when it is missing, on real files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "store/Database.h"
#include "store/DatabaseBackup.h"
#include "store/DatabaseLocation.h"
#include "tests/support/LogRecorder.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::TempDir;

TEST(DatabaseLocation, ChoosesByTheRules) {
    using enum DatabaseSource;
    const std::string build = "/home/op/lumetra/build/bin/", usr = "/usr/bin/";
    const std::string installed = "/x/data/lumetra/dbinfo.mdb";
    const std::string local = "/home/op/.local/share/lumetra/dbinfo.mdb", srv = "/srv/a.mdb";
    // Option, environment, program folder, writable, install tree, XDG_DATA_HOME, HOME.
    const struct {
        const char* name;
        LocationInputs inputs;
        std::string path;
        DatabaseSource source;
    } cases[] = {
        {"portable", {"", "", build, true, false, "/x/data", "/home/op"}, build + "dbinfo.mdb", kPortable},
        {"folder not writable", {"", "", build, false, false, "/x/data", "/home/op"}, installed, kInstalled},
        {"under /usr", {"", "", usr, true, false, "/x/data", "/home/op"}, installed, kInstalled},
        {"install tree", {"", "", build, true, true, "/x/data", "/home/op"}, installed, kInstalled},
        {"no XDG_DATA_HOME", {"", "", usr, true, false, "", "/home/op"}, local, kInstalled},
        {"relative XDG_DATA_HOME", {"", "", usr, true, false, "data", "/home/op"}, local, kInstalled},
        {"environment", {"", srv, usr, true, false, "/x/data", "/home/op"}, srv, kEnvironment},
        {"option wins", {"b.mdb", srv, build, true, false, "/x/data", "/home/op"}, "b.mdb", kOption},
    };
    for (const auto& c : cases) {
        const DatabaseLocation chosen = ChooseDatabaseLocation(c.inputs);
        EXPECT_EQ(chosen.path, c.path) << c.name;
        EXPECT_EQ(chosen.source, c.source) << c.name;
    }
}

TEST(DatabaseLocation, InstalledFirstStartMakesTheDeliveredDatabaseWithItsFolder) {
    TempDir dir;
    const std::string path = dir.File("data/lumetra/dbinfo.mdb");
    std::string notice, error;
    ASSERT_TRUE(PrepareDatabase({path, DatabaseSource::kInstalled}, &notice, &error)) << error;
    EXPECT_NE(notice.find(path), std::string::npos);
    EXPECT_NE(notice.find("admin"), std::string::npos);
    CDatabase db;
    ASSERT_TRUE(db.Open(path, &error)) << error;
    EXPECT_EQ(test::QueryRows(db, "select * from user", {"用户名"}), std::vector<std::string>{"admin"});
}

TEST(DatabaseLocation, MissingNamedOrPortableFileIsNeverMadeAndExistingOnesAreNeverTouched) {
    TempDir dir;
    const std::string missing = dir.File("elsewhere/dbinfo.mdb");
    for (DatabaseSource source :
         {DatabaseSource::kOption, DatabaseSource::kEnvironment, DatabaseSource::kPortable}) {
        std::string notice, error;
        EXPECT_FALSE(PrepareDatabase({missing, source}, &notice, &error));
        EXPECT_NE(error.find("lumetra-initdb " + missing), std::string::npos) << error;
        EXPECT_EQ(notice, "");
        EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
    }
    const std::string existing = dir.File("mine.mdb");
    std::ofstream(existing) << "not even a database";
    for (DatabaseSource source : {DatabaseSource::kInstalled, DatabaseSource::kOption}) {
        std::string notice, error;
        EXPECT_TRUE(PrepareDatabase({existing, source}, &notice, &error));
        EXPECT_EQ(notice, "") << "a later start finds it and says nothing";
        std::string text;
        std::getline(std::ifstream(existing), text);
        EXPECT_EQ(text, "not even a database");
    }
}

unsigned ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// The database holds password hashes: what Lumetra makes of it is its owner's only, whatever the
// umask lets through; an existing file keeps its mode unless every user may read it, which the log
// tells once.
TEST(DatabaseLocation, DatabaseFilesAreTheirOwnersOnly) {
    const mode_t umaskBefore = ::umask(022);
    TempDir dir;
    const std::string path = dir.File("data/lumetra/dbinfo.mdb");
    std::string notice, error, kept;
    ASSERT_TRUE(PrepareDatabase({path, DatabaseSource::kInstalled}, &notice, &error)) << error;
    CDatabase db;
    ASSERT_TRUE(db.Open(path, &error)) << error;
    ASSERT_TRUE(BackupDatabase(db, dir.File("backup.mdb"), &error)) << error;
    ASSERT_TRUE(RestoreDatabase(db, dir.File("backup.mdb"), 0, &kept, &error)) << error;
    const std::pair<std::string, unsigned> made[] = {{dir.File("data"), 0700u},
                                                     {dir.File("data/lumetra"), 0700u},
                                                     {path, 0600u},
                                                     {dir.File("backup.mdb"), 0600u},
                                                     {kept, 0600u}};
    for (const auto& [file, mode] : made) EXPECT_EQ(ModeOf(file), mode) << file;

    test::CLogRecorder log;
    const std::pair<unsigned, unsigned> existing[] = {{0644u, 0640u}, {0660u, 0660u}, {0606u, 0600u}};
    for (const auto& [before, after] : existing) {
        const std::string file = dir.File("existing.mdb");
        std::ofstream(file) << "rows";
        ::chmod(file.c_str(), before);
        for (int start = 0; start < 2; ++start)
            EXPECT_TRUE(PrepareDatabase({file, DatabaseSource::kOption}, &notice, &error));
        EXPECT_EQ(ModeOf(file), after);
        const auto told = std::ranges::count_if(
            log.Take(), [](const test::LogLine& line) { return line.message.starts_with("database: "); });
        EXPECT_EQ(told, before == after ? 0 : 1) << std::oct << before;
        std::filesystem::remove(file);
    }
    ::umask(umaskBefore);
}

}  // namespace
}  // namespace lumetra
