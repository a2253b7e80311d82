// Where the database lives, and what a start does when it is missing, on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/Database.h"
#include "store/DatabaseLocation.h"
#include "store/Recordset.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::TempDir;

TEST(DatabaseLocation, ChoosesByTheRules) {
    struct Case {
        const char* name;
        LocationInputs inputs;
        DatabaseLocation expected;
    };
    const LocationInputs build{"", "", "/home/op/lumetra/build/bin/", true, false, "/x/data", "/home/op"};
    auto with = [&](auto change) {
        LocationInputs inputs = build;
        change(inputs);
        return inputs;
    };
    const std::string installedPath = "/x/data/lumetra/dbinfo.mdb";
    const Case cases[] = {
        {"portable", build, {"/home/op/lumetra/build/bin/dbinfo.mdb", DatabaseSource::kPortable}},
        {"folder not writable",
         with([](auto& i) { i.programDirWritable = false; }),
         {installedPath, DatabaseSource::kInstalled}},
        {"under /usr",
         with([](auto& i) { i.programDir = "/usr/bin/"; }),
         {installedPath, DatabaseSource::kInstalled}},
        {"install tree",
         with([](auto& i) { i.installTree = true; }),
         {installedPath, DatabaseSource::kInstalled}},
        {"no XDG_DATA_HOME",
         with([](auto& i) { i.programDir = "/usr/bin/", i.dataHome = ""; }),
         {"/home/op/.local/share/lumetra/dbinfo.mdb", DatabaseSource::kInstalled}},
        {"relative XDG_DATA_HOME",
         with([](auto& i) { i.programDir = "/usr/bin/", i.dataHome = "data"; }),
         {"/home/op/.local/share/lumetra/dbinfo.mdb", DatabaseSource::kInstalled}},
        {"environment",
         with([](auto& i) { i.programDir = "/usr/bin/", i.environment = "/srv/a.mdb"; }),
         {"/srv/a.mdb", DatabaseSource::kEnvironment}},
        {"option over environment",
         with([](auto& i) { i.option = "b.mdb", i.environment = "/srv/a.mdb"; }),
         {"b.mdb", DatabaseSource::kOption}},
    };
    for (const Case& c : cases) {
        const DatabaseLocation chosen = ChooseDatabaseLocation(c.inputs);
        EXPECT_EQ(chosen.path, c.expected.path) << c.name;
        EXPECT_EQ(chosen.source, c.expected.source) << c.name;
    }
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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
    CRecordset users(db);
    users.Open("select * from user");
    EXPECT_EQ(users.GetFieldText("用户名"), "admin");

    // The second start finds it and says nothing.
    notice.clear();
    db.ExecuteSql("delete from user");
    EXPECT_TRUE(PrepareDatabase({path, DatabaseSource::kInstalled}, &notice, &error));
    EXPECT_EQ(notice, "");
    users.Open("select count(*) as n from user");
    EXPECT_EQ(users.GetFieldText("n"), "0");
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
        EXPECT_EQ(Contents(existing), "not even a database");
    }
}

}  // namespace
}  // namespace lumetra
