// Filling statement templates: quotes doubled in text, numbers as they are, mismatches refused.
#include <gtest/gtest.h>

#include <stdexcept>

#include "store/SqlFormat.h"

namespace lumetra {
namespace {

TEST(EscapeSql, DoublesEverySingleQuote) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"'a'b'", "''a''b''"},
        {"\"double\" stays", "\"double\" stays"},
        {std::string("nul\0'x", 6), std::string("nul\0''x", 7)},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeSql(c.in), c.out) << c.in;
}

TEST(FormatSql, FillsTextAndNumbers) {
    EXPECT_EQ(FormatSql("set s= '%s' where ID=%d", "正在执行", 42), "set s= '正在执行' where ID=42");
    EXPECT_EQ(FormatSql("values ('%s','%s')", std::string("o'neil"), "p'w"), "values ('o''neil','p''w')");
    EXPECT_EQ(FormatSql("100%% of '%s'", "x"), "100% of 'x'");
    const std::string longText(100000, 'z');
    EXPECT_EQ(FormatSql("'%s'", longText), "'" + longText + "'");
}

TEST(FormatSql, RefusesArgumentsThatDoNotMatchTheTemplate) {
    EXPECT_THROW(FormatSql("s='%s' where ID=%d", "a"), std::logic_error);        // too few
    EXPECT_THROW(FormatSql("s='%s' where ID=%d", "a", 1, 2), std::logic_error);  // too many
    EXPECT_THROW(FormatSql("s='%s' where ID=%d", 1, "a"), std::logic_error);     // swapped kinds
    EXPECT_THROW(FormatSql("select %x from t", 1), std::logic_error);            // unsupported
}

}  // namespace
}  // namespace lumetra
