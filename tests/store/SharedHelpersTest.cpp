// SplitString, the zone and channel labels, and the program directory.
#include <gtest/gtest.h>

#include <filesystem>

#include "store/Labels.h"
#include "store/ProgramDir.h"
#include "store/SplitString.h"

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
        if (c.built)
            EXPECT_EQ(c.channel ? ChannelLabel(c.number, c.name) : ZoneLabel(c.number, c.name), c.label);
        EXPECT_EQ(IsChannelLabel(c.label), c.channel) << c.label;
        EXPECT_EQ(LabelNumber(c.label), c.number) << c.label;
        EXPECT_EQ(LabelName(c.label), c.name) << c.label;
    }
}

TEST(ProgramDirectory, IsTheDirectoryOfTheRunningProgram) {
    const std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "store_tests"));
}

}  // namespace
}  // namespace lumetra
