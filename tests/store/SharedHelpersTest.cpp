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
    const struct {
        std::string text;
        Pieces pieces;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a|b|c", {"a", "b", "c"}},
        {"a|b|", {"a", "b"}},
        {"a||b", {"a", "|b"}},
        {"a||b|c", {"a", "|b|c"}},
        {"|a|b", {"|a|b"}},
        {"|", {"|"}},
        {"a|", {"a"}},
        {"a|b||", {"a", "b", "|"}},
        {"/音乐/早操.mp3|/音乐/o'k.wav", {"/音乐/早操.mp3", "/音乐/o'k.wav"}},
    };
    for (const auto& c : cases) {
        Pieces pieces = {"left over"};
        SplitString(c.text, pieces, '|');
        EXPECT_EQ(pieces, c.pieces) << '"' << c.text << '"';
    }
}

TEST(Labels, BuildAndReadBack) {
    EXPECT_EQ(ZoneCode(1), "001FH");
    EXPECT_EQ(ZoneCode(48), "048FH");
    EXPECT_EQ(ZoneLabel(5, ""), "005FH");
    EXPECT_EQ(ZoneLabel(3, "Library"), "003FH(Library)");
    EXPECT_EQ(ZoneLabel(12, "图书馆"), "012FH(图书馆)");
    EXPECT_EQ(ChannelLabel(1), "001CH");
    EXPECT_EQ(ChannelLabel(12), "012CH");
    EXPECT_EQ(ChannelLabel(128, "Hall"), "128CH(Hall)");

    const struct {
        std::string label;
        bool channel;
        int number;
        std::string name;
    } cases[] = {
        {"003FH(Library)", false, 3, "Library"},
        {"012CH", true, 12, ""},
        {"012CH(Hall)", true, 12, "Hall"},
        {"128CH(礼堂)", true, 128, "礼堂"},
        {"005FH", false, 5, ""},
        {"默认编码", false, 0, ""},
        {"", false, 0, ""},
        {"12CH", false, 12, ""},
        {"003FH()", false, 3, ""},
        {"003FHx(y)", false, 3, ""},
    };
    for (const auto& c : cases) {
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
