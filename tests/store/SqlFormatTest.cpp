// Filling statement templates: quotes doubled in text, numbers as they are, mismatches refused.
#include <gtest/gtest.h>

#include <stdexcept>

#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

TEST(EscapeSql, DoublesEverySingleQuote) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"'", "''"},
        {"it's", "it''s"},
        {"''", "''''"},
        {"'a'b'", "''a''b''"},
        {"中文'名", "中文''名"},
        {"\"double\" stays", "\"double\" stays"},
        {std::string("nul\0'x", 6), std::string("nul\0''x", 7)},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeSql(c.in), c.out) << c.in;
}

TEST(FormatSql, FillsTextAndNumbers) {
    EXPECT_EQ(FormatSql(sql::kSetStateById, "正在执行", 42), "update tb_memo  set 状态= '正在执行' where ID=42");
    EXPECT_EQ(FormatSql(sql::kSetShutdown, 1, 7, 0, 5), "update shut_down  set 启用关机= '1' ,关机时间='7:0:5'");
    EXPECT_EQ(FormatSql(sql::kInsertUser, std::string("o'neil"), "p'w"),
              "insert into user (用户名,密码) values ('o''neil','p''w')");
    EXPECT_EQ(FormatSql("100%% of '%s'", "x"), "100% of 'x'");
    EXPECT_EQ(FormatSql(sql::kSelectUsers), "select * from user");
    const std::string longText(100000, 'z');
    EXPECT_EQ(FormatSql(sql::kDeleteUser, longText).size(), std::string(sql::kDeleteUser).size() - 2 + 100000);
}

TEST(FormatSql, RefusesArgumentsThatDoNotMatchTheTemplate) {
    EXPECT_THROW(FormatSql(sql::kSetStateById, "a"), std::logic_error);            // too few
    EXPECT_THROW(FormatSql(sql::kSetStateById, "a", 1, 2), std::logic_error);      // too many
    EXPECT_THROW(FormatSql(sql::kSetStateById, 1, "a"), std::logic_error);         // swapped kinds
    EXPECT_THROW(FormatSql("select %x from t", 1), std::logic_error);              // unsupported
}

}  // namespace
}  // namespace lumetra
