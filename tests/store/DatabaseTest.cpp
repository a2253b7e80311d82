// The database access layer against real SQLite files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "base/NumberText.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::TempDir;
using test::TestDatabase;

TEST(DatabaseOpen, MissingFileIsNeverMadeAndLaterOperationsAreErrors) {
    TempDir dir;
    CDatabase db;
    std::string error;
    EXPECT_FALSE(db.Open(dir.File("dbinfo.mdb"), &error));
    EXPECT_FALSE(std::filesystem::exists(dir.File("dbinfo.mdb"))) << "opening must never create a file";
    EXPECT_FALSE(db.IsOpen());
    EXPECT_THROW(db.ExecuteSql(sql::kSelectUsers), CDbError);
    CRecordset rows(db);
    EXPECT_THROW(rows.Open(sql::kSelectUsers), CDbError);

    std::ofstream(dir.File("text.mdb")) << "this is a text file, not a database\n";
    EXPECT_FALSE(db.Open(dir.File("text.mdb"), &error));
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;
}

// Values come back as text; nulls, missing columns, reads at the end and rejected statements are
// errors, a rejected one with the database's own message.
TEST(Recordset, ValuesComeBackAsTextAndEveryMisuseIsAnError) {
    TestDatabase t;
    t.Db().ExecuteSql("create table v (n INTEGER, s TEXT, z TEXT)");
    t.Db().ExecuteSql("insert into v values (12, '012CH', null)");
    CRecordset rows(t.Db());
    rows.Open("select * from v");
    EXPECT_EQ(rows.GetFieldText("n"), "12");
    EXPECT_EQ(rows.GetFieldText("N"), "12") << "field names ignore letter case";
    EXPECT_EQ(rows.GetFieldText("s"), "012CH");
    EXPECT_EQ(rows.GetFieldInt("s"), 12);
    EXPECT_THROW(rows.GetFieldText("z"), CDbError) << "a null value has no text form";
    EXPECT_THROW(rows.GetFieldText("missing"), CDbError);
    rows.MoveNext();
    EXPECT_TRUE(rows.AtEnd());
    EXPECT_THROW(rows.GetFieldText("n"), CDbError) << "reading at the end";
    EXPECT_THROW(rows.MoveNext(), CDbError);
    rows.MoveFirst();
    EXPECT_EQ(rows.GetFieldInt("n"), 12);
    rows.Open(sql::kSelectCom);  // reopening replaces the rows and the columns
    EXPECT_EQ(rows.GetRecordCount(), 1);
    EXPECT_THROW(rows.GetFieldText("n"), CDbError);
    rows.Close();
    EXPECT_TRUE(rows.AtEnd());
    EXPECT_EQ(rows.GetRecordCount(), -1);

    try {
        rows.Open("select * from no_such_table");
        ADD_FAILURE() << "a missing table is an error";
    } catch (const CDbError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table: no_such_table"), std::string::npos);
    }
    EXPECT_TRUE(rows.AtEnd());
    EXPECT_THROW(t.Db().ExecuteSql("update nowhere set a=1"), CDbError);
    EXPECT_THROW(t.Db().ExecuteSql(""), CDbError);
}

// Each thread has a connection of its own: a transaction one thread keeps open holds no other
// thread's reads, each insert's rowid is its own, and a closed database is closed for every thread.
TEST(DatabaseThreads, EachThreadOwnsAConnection) {
    TestDatabase t;
    std::promise<void> began, done;
    std::shared_future<void> finish = done.get_future().share();
    std::jthread writer([&] {
        t.Db().ExecuteSql("begin immediate");
        t.Db().ExecuteSql("insert into user (用户名, 密码) values ('pending', '')");
        began.set_value();
        finish.wait();
        t.Db().ExecuteSql("commit");
    });
    began.get_future().wait();
    EXPECT_EQ(test::QueryRows(t.Db(), "select count(*) as n from user where 用户名='pending'", {"n"}),
              std::vector<std::string>{"0"})
        << "read at once, from before the other thread's transaction";
    done.set_value();
    writer.join();
    EXPECT_EQ(test::QueryRows(t.Db(), "select count(*) as n from user where 用户名='pending'", {"n"}),
              std::vector<std::string>{"1"});

    std::vector<int64_t> ids(2);
    std::vector<std::string> stored(2);
    {
        std::vector<std::jthread> inserters;
        for (size_t i = 0; i < ids.size(); ++i)
            inserters.emplace_back([&, i] {
                for (int n = 0; n < 200; ++n) {
                    ids[i] =
                        t.Db().InsertRow(FormatSql("insert into LED (LedAddrID, LedContent, sendtime) "
                                                   "values ('%d', '%d', '')",
                                                   static_cast<int>(i), n));
                    stored[i] = test::QueryRows(
                                    t.Db(), "select LedAddrID from LED where rowid=" + std::to_string(ids[i]),
                                    {"LedAddrID"})
                                    .at(0);
                    if (stored[i] != std::to_string(i)) return;
                }
            });
    }
    EXPECT_EQ(stored, (std::vector<std::string>{"0", "1"})) << "each rowid names the thread's own row";
    t.Db().Close();
    std::jthread([&] { EXPECT_THROW(t.Db().ExecuteSql(sql::kSelectUsers), CDbError); }).join();
}

TEST(LeadingInt, ReadsTheLeadingDecimalInteger) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"003FH(x)", 3}, {"", 0},         {"  42", 42},
        {"-7", -7},      {"+8x", 8},      {"99999999999999", 2147483647},
        {" - 3", 0},     {"默认编码", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingInt(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace lumetra
