// The database access layer against real SQLite files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/NumberText.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
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
    EXPECT_TRUE(rows.IsEOF());
    EXPECT_THROW(rows.GetFieldText("n"), CDbError) << "reading at EOF";
    EXPECT_THROW(rows.MoveNext(), CDbError);
    rows.MoveFirst();
    EXPECT_EQ(rows.GetFieldInt("n"), 12);
    rows.Open(sql::kSelectCom);  // reopening replaces the rows and the columns
    EXPECT_EQ(rows.GetRecordCount(), 1);
    EXPECT_THROW(rows.GetFieldText("n"), CDbError);
    rows.Close();
    EXPECT_TRUE(rows.IsEOF());
    EXPECT_EQ(rows.GetRecordCount(), -1);

    try {
        rows.Open("select * from no_such_table");
        ADD_FAILURE() << "a missing table is an error";
    } catch (const CDbError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table: no_such_table"), std::string::npos);
    }
    EXPECT_TRUE(rows.IsEOF());
    EXPECT_THROW(t.Db().ExecuteSql("update nowhere set a=1"), CDbError);
    EXPECT_THROW(t.Db().ExecuteSql(""), CDbError);
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
