// The stored texts of a task row, each read and written by its one decoder in store/: what the
// editor writes comes back byte for byte, and odd texts that other tools may have left are read
// as the scheduler has always read them.
#include <gtest/gtest.h>

#include <set>

#include "store/OutletSwitches.h"
#include "store/PlayList.h"
#include "store/TargetChannels.h"
#include "store/TaskTable.h"
#include "store/WeekDays.h"
#include "tests/support/TaskRows.h"

namespace lumetra {
namespace {

TEST(StoredTexts, OutletSwitches) {
    // The text, each outlet as read ("1" on, "0" off, "-" left as it is), and whether the text
    // of the outlets switched on is the stored one again.
    const struct {
        const char* text;
        const char* read;
        bool writtenBack;
    } cases[] = {
        {"1010", "1010", true}, {"0000", "0000", true}, {"1111", "1111", true},    {"x1xx", "-1--", false},
        {"10", "10--", false},  {"", "----", false},    {"011110", "0111", false},
    };
    for (const auto& c : cases) {
        const OutletSwitches switches = OutletSwitchesOf(c.text);
        std::string read;
        for (size_t i = 0; i < 4; ++i) read += switches.on[i] ? '1' : switches.off[i] ? '0' : '-';
        EXPECT_EQ(read, c.read) << c.text;
        EXPECT_EQ(OutletSwitchesText(switches.on) == c.text, c.writtenBack) << c.text;
    }
    EXPECT_EQ(OutletSwitchesOf("x10").AppliedTo({true, false, true, true}),
              (OutletSet{true, true, false, true}));
}

TEST(StoredTexts, WeekDays) {
    // The text, the days named (Sunday first), how often Monday is named, the text written back,
    // and the text the editor stores for the days named.
    const struct {
        const char *text, *named;
        int mondays;
        const char *written, *edited;
    } cases[] = {
        {"246", ".1.1.1.", 1, "246", "246"},  {"", ".......", 0, "", ""},
        {"2722", ".1....1", 3, "2722", "27"}, {"1x3", "1.1....", 0, "103", "13"},
        {"089", ".......", 0, "000", ""},     {"7654321", "1111111", 1, "7654321", "1234567"},
    };
    for (const auto& c : cases) {
        const WeekDays days = WeekDaysOf(c.text);
        std::string named;
        for (bool day : days.Named()) named += day ? '1' : '.';
        EXPECT_EQ(named, c.named) << c.text;
        EXPECT_EQ(days.TimesNamed(2), c.mondays) << c.text;
        EXPECT_EQ(WeekDaysText(days), c.written) << c.text;
        EXPECT_EQ(WeekDaysText(WeekDays::Checked(days.Named())), c.edited) << c.text;
    }
}

TEST(StoredTexts, PlayList) {
    // The text, the paths read (joined by " / ") while only "/m/a$b.mp3" exists as it is stored,
    // and whether the paths are written back as the stored text.
    const std::set<std::string> onDisk = {"/m/a$b.mp3"};
    const FileExists exists = [&](const std::string& path) { return onDisk.count(path) > 0; };
    const struct {
        const char *text, *read;
        bool writtenBack;
    } cases[] = {
        {"/m/x.mp3|/m/y.wav", "/m/x.mp3 / /m/y.wav", true},
        {"", "", true},
        {"/m/it$s.mp3", "/m/it's.mp3", true},
        {"/m/a$b.mp3", "/m/a$b.mp3", true},
        {"/m/a$b'c.mp3", "/m/a'b'c.mp3", true},
        {"/m/x.mp3|/m/x.mp3", "/m/x.mp3 / /m/x.mp3", true},
        {"/m/x.mp3||/m/y.wav", "/m/x.mp3 / |/m/y.wav", true},
        {"/m/x.mp3|", "/m/x.mp3", false},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> paths = PlayListOf(c.text, exists);
        std::string read;
        for (const std::string& path : paths) read += (read.empty() ? "" : " / ") + path;
        EXPECT_EQ(read, c.read) << c.text;
        EXPECT_EQ(PlayListText(paths) == c.text, c.writtenBack) << c.text;
    }
    EXPECT_EQ(PlayListOf("/m/it$s.mp3", {}), std::vector<std::string>{"/m/it's.mp3"})
        << "no disk: an apostrophe";
}

TEST(StoredTexts, TargetChannels) {
    // The text, the channels read, and whether they are written back as the stored text.
    const struct {
        std::string text;
        std::vector<int> channels;
        bool writtenBack;
    } cases[] = {
        {test::ZoneText({1, 3, 128}), {1, 3, 128}, true},
        {test::ZoneText({}), {}, true},
        {"0|2|x|01|0|1", {2, 4, 6}, false},
        {"", {}, false},
        {test::ZoneText({128}) + "|1|1", {128}, false},
        {"1||1", {1}, false},
    };
    for (const auto& c : cases) {
        const ChannelFlags channels = TargetChannelsOf(c.text);
        std::vector<int> read;
        for (size_t i = 0; i < channels.size(); ++i)
            if (channels[i]) read.push_back(static_cast<int>(i) + 1);
        EXPECT_EQ(read, c.channels) << c.text;
        EXPECT_EQ(TargetChannelsText(channels) == c.text, c.writtenBack) << c.text;
    }
}

TEST(StoredTexts, RepeatWordsAndCodes) {
    // 重复周期, 提醒次数 and the kind both stand for; any other text is no kind.
    const struct {
        const char *word, *code;
        RepeatKind kind;
    } cases[] = {
        {"次", "0", RepeatKind::kOnce}, {"周", "1", RepeatKind::kWeekly},  {"天", "2", RepeatKind::kDaily},
        {"", "", RepeatKind::kNone},    {"每天", "02", RepeatKind::kNone}, {"周 ", " 1", RepeatKind::kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RepeatKindOfWord(c.word), c.kind) << c.word;
        EXPECT_EQ(RepeatKindOf(c.code), c.kind) << c.code;
        if (c.kind == RepeatKind::kNone) continue;
        EXPECT_STREQ(RepeatWord(c.kind), c.word);
        EXPECT_STREQ(RepeatCode(c.kind), c.code);
    }
    EXPECT_STREQ(RepeatWord(RepeatKind::kNone), "");
}

}  // namespace
}  // namespace lumetra
