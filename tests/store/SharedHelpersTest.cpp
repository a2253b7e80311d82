// The store's small helpers: statement templates filled (quotes doubled in text, numbers as they
// are, mismatches refused), password hashes and the plain ones older databases hold, SplitString, the zone
// and channel labels. The program directory: EndToEndTest runs a copy of the program beside its database.
#include <gtest/gtest.h>

#include <stdexcept>

#include "store/Labels.h"
#include "store/PasswordHash.h"
#include "store/SplitString.h"
#include "store/SqlFormat.h"

namespace lumetra {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitString, OddCases) {
    const char* cases[][2] = {
        // the text, its pieces joined by " / "
        {"", ""},         {"a", "a"}, {"a|b|c", "a / b / c"}, {"a|b|", "a / b"}, {"a||b|c", "a / |b|c"},
        {"|a|b", "|a|b"}, {"|", "|"}, {"a|b||", "a / b / |"},
    };
    for (const auto& [text, joined] : cases) {
        Pieces pieces = {"left over"};
        SplitString(text, pieces, '|');
        std::string all;
        for (const std::string& piece : pieces) all += (all.empty() ? "" : " / ") + piece;
        EXPECT_EQ(all, joined) << '"' << text << '"';
    }
}

// Labels of the first kind are built from their number and name; all are read back.
TEST(Labels, BuildAndReadBack) {
    const struct {
        std::string label;
        bool built, channel;
        int number;
        std::string name;
    } cases[] = {
        {"001FH", true, false, 1, ""},      {"012FH(图书馆)", true, false, 12, "图书馆"},
        {"012CH", true, true, 12, ""},      {"128CH(礼堂)", true, true, 128, "礼堂"},
        {"默认编码", false, false, 0, ""},  {"", false, false, 0, ""},
        {"12CH", false, false, 12, ""},     {"003FH()", false, false, 3, ""},
        {"003FHx(y)", false, false, 3, ""},
    };
    for (const auto& c : cases) {
        if (c.built) {
            EXPECT_EQ(c.channel ? ChannelLabel(c.number, c.name) : ZoneLabel(c.number, c.name), c.label);
        }
        EXPECT_EQ(IsChannelLabel(c.label), c.channel) << c.label;
        EXPECT_EQ(LabelNumber(c.label), c.number) << c.label;
        EXPECT_EQ(LabelName(c.label), c.name) << c.label;
    }
}

// Every single quote doubled (EscapeSql past a NUL byte too); double quotes, numbers and "%%" as
// they are; arguments that do not match the template refused.
TEST(FormatSql, FillsTextAndNumbersAndRefusesArgumentsThatDoNotMatch) {
    using namespace std::string_literals;
    EXPECT_EQ(FormatSql("set s= '%s' where ID=%d", "正在执行", 42), "set s= '正在执行' where ID=42");
    EXPECT_EQ(FormatSql("values ('%s','%s')", std::string("'o'neil'"), "\"p\""),
              "values ('''o''neil''','\"p\"')");
    EXPECT_EQ(EscapeSql("nul\0'x"s), "nul\0''x"s);
    EXPECT_EQ(FormatSql("100%% of '%s'", ""), "100% of ''");
    const std::string longText(100000, 'z');
    EXPECT_EQ(FormatSql("'%s'", longText), "'" + longText + "'");
    EXPECT_THROW(FormatSql("s='%s' where ID=%d", "a"), std::logic_error);        // too few
    EXPECT_THROW(FormatSql("s='%s' where ID=%d", "a", 1, 2), std::logic_error);  // too many
    EXPECT_THROW(FormatSql("s='%s' where ID=%d", 1, "a"), std::logic_error);     // swapped kinds
    EXPECT_THROW(FormatSql("select %x from t", 1), std::logic_error);            // unsupported
}

struct PasswordCase {
    std::string stored, typed;
    bool matches;
};

// What this program writes: a salted Argon2id hash, which matches the password it was made from
// and nothing else, not even itself.
TEST(PasswordHash, AHashMatchesOnlyItsOwnPassword) {
    const std::string first = HashPassword("密码1"), second = HashPassword("密码1");
    EXPECT_NE(first, second);  // salted: equal passwords do not show in the table
    EXPECT_EQ(first.find("密码1"), std::string::npos);
    const PasswordCase cases[] = {{first, "密码1", true},
                                  {second, "密码1", true},
                                  {first, "密码", false},
                                  {first, "", false},
                                  {first, first, false}};
    for (const auto& c : cases) {
        EXPECT_TRUE(IsPasswordHash(c.stored));
        EXPECT_EQ(PasswordMatches(c.stored, c.typed), c.matches) << c.typed;
    }
}

// A stored password that is not a hash was kept as typed: older databases hold every password so,
// and its first login rehashes it. It matches exactly, letter case and all, as the older login
// compared it. An empty one is such a row too (the user page never writes it, but an older
// database may hold it): the older login let an empty password in, so it still does rather than
// lock its user out, and rehashes it at that login like any other.
TEST(PasswordHash, PlainTextOfOlderDatabasesMatchesExactlyEmptyIncluded) {
    const PasswordCase cases[] = {{"admin", "admin", true},
                                  {"admin", "Admin", false},
                                  {"admin", "", false},
                                  {"", "", true},
                                  {"", "admin", false}};
    for (const auto& c : cases) {
        EXPECT_FALSE(IsPasswordHash(c.stored)) << c.stored;
        EXPECT_EQ(PasswordMatches(c.stored, c.typed), c.matches)
            << '"' << c.stored << "\" \"" << c.typed << '"';
    }
}

}  // namespace
}  // namespace lumetra
