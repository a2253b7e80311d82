// Thousands of mutated MP3 files (cut short, garbled tag sizes and flags, zero blocks, false frame
// syncs, stray ID3v1 tags; seeds with ID3v2.3, ID3v2.4, ID3v1, a VBR header and a lyrics block) through
// CMp3Info::Open, each batch in a child process: a crash or a hang is reported with the file that caused it,
// and fails the test. For longer runs, LUMETRA_FUZZ_CASES sets the number of cases (default 4000) and
// LUMETRA_FUZZ_SEED the series.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "audio/Mp3Info.h"
#include "tests/audio/ForkedFuzzer.h"
#include "tests/audio/fixtures/AudioFixtures.h"
#include "tests/audio/fixtures/Id3Writer.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::Bytes;

Bytes Head(const char* fixture, size_t limit) {
    std::ifstream in(test::Fixture(fixture), std::ios::binary);
    Bytes bytes(std::istreambuf_iterator<char>(in), {});
    if (bytes.size() > limit) bytes.resize(limit);
    return bytes;
}

// A version 4 tag in front of audio, so mutations reach that parser too.
Bytes Version4Seed() {
    Bytes bytes =
        test::Id3v23Tag({{"TIT2", test::TextFrameBody("Four")}, {"TRCK", test::TextFrameBody("4")}}, 4);
    bytes[3] = 4;
    const Bytes audio = Head(test::kV1RockMp3, 4000);
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    return bytes;
}

std::vector<Bytes> Seeds() {
    return {Head(test::kCbrMp3, 8000), Head(test::kV1RockMp3, 1 << 20), Head(test::kVbrMp3, 6000),
            Version4Seed()};
}

uint64_t FromEnvironment(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && std::atoll(text) > 0 ? std::strtoull(text, nullptr, 10) : fallback;
}

std::string Describe(const std::vector<test::FuzzFinding>& findings) {
    std::string text;
    for (const test::FuzzFinding& finding : findings) {
        text += "case " + std::to_string(finding.index) + ": " + finding.what + ", kept in " + finding.saved +
                "\n";
    }
    return text;
}

TEST(Mp3InfoFuzz, MutatedFilesNeitherCrashNorHang) {
    const std::vector<Bytes> seeds = Seeds();
    for (const Bytes& seed : seeds) ASSERT_GT(seed.size(), 500u) << "fixtures missing?";
    test::TempDir dir;
    test::FuzzOptions options;
    options.cases = FromEnvironment("LUMETRA_FUZZ_CASES", 4000);
    options.seed = static_cast<uint32_t>(FromEnvironment("LUMETRA_FUZZ_SEED", 1));
    options.workDir = dir.Path();
    const auto findings = test::FuzzInChildren(seeds, options, [](const std::string& path) {
        CMp3Info info;
        info.Open(path);
    });
    // Findings are kept for a look; the directory goes with the test, so copy them out to debug.
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

TEST(Mp3InfoFuzz, MutationsAreRepeatableAndDiffer) {
    const std::vector<Bytes> seeds{Bytes(2000, 0x55)};
    EXPECT_EQ(test::MutatedCase(seeds, 7, 1), test::MutatedCase(seeds, 7, 1));
    EXPECT_NE(test::MutatedCase(seeds, 7, 1), test::MutatedCase(seeds, 7, 2));
    int changed = 0;
    for (uint64_t i = 0; i < 90; ++i) changed += test::MutatedCase(seeds, i, 1) != seeds[0];
    EXPECT_GE(changed, 80);
}

// The harness itself: a reader that crashes on one case and hangs on another is caught on both,
// and every other case still runs.
TEST(ForkedFuzzer, ReportsCrashesAndHangsAndGoesOn) {
    test::TempDir dir;
    test::FuzzOptions options;
    options.cases = 12;
    options.workDir = dir.Path();
    options.stallLimit = std::chrono::milliseconds(300);
    const std::string seen = dir.File("seen");
    const auto findings = test::FuzzInChildren({Bytes(100, 1)}, options, [&](const std::string&) {
        std::ofstream(seen, std::ios::app) << "x";
        if (std::ifstream(seen, std::ios::ate).tellg() == 5) std::raise(SIGSEGV);
        if (std::ifstream(seen, std::ios::ate).tellg() == 9)
            std::this_thread::sleep_for(std::chrono::seconds(30));
    });
    ASSERT_EQ(findings.size(), 2u) << Describe(findings);
    EXPECT_EQ(findings[0].index, 4u);
    EXPECT_EQ(findings[0].what, "crash (signal 11)");
    EXPECT_EQ(findings[1].index, 8u);
    EXPECT_EQ(findings[1].what, "hang");
    EXPECT_EQ(std::ifstream(seen, std::ios::ate).tellg(), 12) << "every case was tried once";
}

}  // namespace
}  // namespace lumetra
