// Reading the command strings of the media control.
#include <gtest/gtest.h>

#include "audio/MediaCommand.h"

namespace lumetra {
namespace {

struct ParsedCase {
    const char* text;
    MediaVerb verb;
    bool hasFrom;
    int64_t from;
    bool frames;
    MediaStatusItem item;
};

class MediaCommandParseTest : public testing::TestWithParam<ParsedCase> {};

TEST_P(MediaCommandParseTest, ReadsVerbAliasAndArguments) {
    const ParsedCase& c = GetParam();
    MediaCommand command;
    const MediaResult result = ParseMediaCommand(c.text, command);
    ASSERT_EQ(result.error, kMediaOk) << result.text;
    EXPECT_EQ(command.verb, c.verb);
    EXPECT_EQ(command.alias, "myMedia");
    EXPECT_EQ(command.hasFrom, c.hasFrom);
    EXPECT_EQ(command.from, c.from);
    EXPECT_EQ(command.frames, c.frames);
    EXPECT_EQ(command.item, c.item);
}

constexpr auto kLen = MediaStatusItem::kLength;

INSTANTIATE_TEST_SUITE_P(
    Commands, MediaCommandParseTest,
    testing::Values(
        ParsedCase{"play myMedia", MediaVerb::kPlay, false, 0, false, kLen},
        ParsedCase{"play myMedia from 0", MediaVerb::kPlay, true, 0, false, kLen},
        ParsedCase{"play myMedia from 61000", MediaVerb::kPlay, true, 61000, false, kLen},
        ParsedCase{"PLAY myMedia FROM 5", MediaVerb::kPlay, true, 5, false, kLen},
        ParsedCase{"  stop   myMedia ", MediaVerb::kStop, false, 0, false, kLen},
        ParsedCase{"pause myMedia", MediaVerb::kPause, false, 0, false, kLen},
        ParsedCase{"resume myMedia", MediaVerb::kResume, false, 0, false, kLen},
        ParsedCase{"close myMedia", MediaVerb::kClose, false, 0, false, kLen},
        ParsedCase{"seek myMedia to start", MediaVerb::kSeekToStart, false, 0, false, kLen},
        ParsedCase{"set myMedia time format frames", MediaVerb::kSetTimeFormat, false, 0, true, kLen},
        ParsedCase{"set myMedia time format milliseconds", MediaVerb::kSetTimeFormat, false, 0, false, kLen},
        ParsedCase{"set myMedia time format ms", MediaVerb::kSetTimeFormat, false, 0, false, kLen},
        ParsedCase{"status myMedia length", MediaVerb::kStatus, false, 0, false, kLen},
        ParsedCase{"status myMedia position", MediaVerb::kStatus, false, 0, false,
                   MediaStatusItem::kPosition},
        ParsedCase{"status myMedia frame rate", MediaVerb::kStatus, false, 0, false,
                   MediaStatusItem::kFrameRate}));

struct RefusedCase {
    const char* text;
    MediaError error;
};

class MediaCommandRefuseTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(MediaCommandRefuseTest, RefusesWithAReason) {
    MediaCommand command;
    const MediaResult result = ParseMediaCommand(GetParam().text, command);
    EXPECT_EQ(result.error, GetParam().error);
    EXPECT_FALSE(result.text.empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, MediaCommandRefuseTest,
                         testing::Values(RefusedCase{"", kMediaUnknownCommand},
                                         RefusedCase{"play", kMediaUnknownCommand},
                                         RefusedCase{"rewind myMedia", kMediaUnknownCommand},
                                         RefusedCase{"play myMedia from", kMediaBadParameter},
                                         RefusedCase{"play myMedia from -2", kMediaBadParameter},
                                         RefusedCase{"play myMedia from 12x", kMediaBadParameter},
                                         RefusedCase{"play myMedia to 12", kMediaBadParameter},
                                         RefusedCase{"stop myMedia now", kMediaBadParameter},
                                         RefusedCase{"seek myMedia to end", kMediaBadParameter},
                                         RefusedCase{"set myMedia time format bytes", kMediaBadParameter},
                                         RefusedCase{"set myMedia audio all off", kMediaBadParameter},
                                         RefusedCase{"status myMedia mode", kMediaBadParameter},
                                         RefusedCase{"status myMedia frame", kMediaBadParameter}));

}  // namespace
}  // namespace lumetra
