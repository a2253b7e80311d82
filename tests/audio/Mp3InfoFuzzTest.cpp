// Thousands of mutated MP3 files (cut short, garbled tag sizes and flags, zero blocks, false frame
// syncs, stray ID3v1 tags; seeds with ID3v2.3, ID3v2.4 in UTF-16 and UTF-8, APE, Lyrics3, ID3v1
// and a VBR header) through CMp3Info::Open in child processes: a crash, a hang or a text that is
// not UTF-8 fails the test, naming the case and keeping its bytes. LUMETRA_FUZZ_CASES sets the number of
// cases (default 4000), LUMETRA_FUZZ_SEED the series.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <random>
#include <thread>

#include "audio/Mp3Info.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::Bytes;

// The `index`-th mutation of one of the seeds; the same arguments always give the same bytes.
Bytes MutatedCase(const std::vector<Bytes>& seeds, uint64_t index, uint32_t seed) {
    std::mt19937 random(static_cast<uint32_t>(seed * 2654435761u + index));
    Bytes bytes = seeds[index % seeds.size()];
    // Offsets near the start matter most: that is where the ID3v2 tag and the first frames are.
    const auto head = [&] { return random() % std::min<size_t>(bytes.size(), 1024); };
    const uint64_t kind = (index / seeds.size()) % 9;
    switch (kind) {
        case 0:  // a few garbled bytes in the tag area
            for (int n = 1 + random() % 16; n > 0; --n) bytes[head()] = random();
            break;
        case 1:  // cut short anywhere
            bytes.resize(random() % bytes.size());
            break;
        case 2:  // the ID3v2 tag size, including bytes a valid size never holds, or (3) its version,
        case 3:  // revision and flags
            for (size_t i = kind == 2 ? 6 : 3; i < std::min<size_t>(kind == 2 ? 10 : 6, bytes.size()); ++i)
                bytes[i] = random();
            break;
        case 4: {  // a frame size somewhere in the tag, often huge
            const uint32_t size = random() % 2 ? random() : random() % 0x1000;
            for (size_t at = head(), i = 0; i < 4 && at + i < bytes.size(); ++i)
                bytes[at + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
            break;
        }
        case 5: {  // a block of zero bytes
            const size_t at = head();
            std::fill_n(bytes.begin() + at, std::min<size_t>(random() % 256, bytes.size() - at), 0);
            break;
        }
        case 6:  // a garbled ID3v1 tag at the end
            bytes.insert(bytes.end(), {'T', 'A', 'G'});
            for (int i = 0; i < 125; ++i) bytes.push_back(static_cast<uint8_t>(random()));
            break;
        case 7: {  // random bytes inserted
            const size_t at = head();
            for (int n = random() % 64; n > 0; --n)
                bytes.insert(bytes.begin() + at, static_cast<uint8_t>(random()));
            break;
        }
        default:  // false frame syncs in the audio
            for (int n = 1 + random() % 8; n > 0; --n) {
                const size_t at = random() % bytes.size();
                bytes[at] = 0xFF;
                if (at + 1 < bytes.size()) bytes[at + 1] = 0xE0 | (random() & 0x1F);
            }
    }
    return bytes;
}

struct Finding {
    uint64_t index;
    std::string what;  // "crash (signal 11)", "crash (exit 3)" or "hang"
};

// Runs `read` on `cases` mutations, each written to "case.mp3" in `dir` and read in a child process
// of its own. A case that crashes or takes longer than `stall` (a hang, ended by SIGALRM) is a
// finding, kept as "finding-N.mp3".
std::vector<Finding> FuzzInChildren(const std::vector<Bytes>& seeds, uint64_t cases, uint32_t seed,
                                    const std::string& dir, std::chrono::milliseconds stall,
                                    const std::function<void(const std::string&)>& read) {
    const itimerval limit{{0, 0}, {stall.count() / 1000, stall.count() % 1000 * 1000}};
    std::vector<Finding> findings;
    for (uint64_t i = 0; i < cases; ++i) {
        const Bytes bytes = MutatedCase(seeds, i, seed);
        test::WriteBytes(dir + "/case.mp3", bytes);
        const pid_t child = fork();
        if (child < 0) throw std::runtime_error("fork failed");
        if (child == 0) {  // never returns into the caller
            setitimer(ITIMER_REAL, &limit, nullptr);
            read(dir + "/case.mp3");
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;
        findings.push_back(
            {i, !WIFSIGNALED(status)          ? "crash (exit " + std::to_string(WEXITSTATUS(status)) + ")"
                : WTERMSIG(status) == SIGALRM ? "hang"
                                              : "crash (signal " + std::to_string(WTERMSIG(status)) + ")"});
        test::WriteBytes(dir + "/finding-" + std::to_string(i) + ".mp3", bytes);
    }
    return findings;
}

// LUMETRA_FUZZ_CASES or LUMETRA_FUZZ_SEED when set to a positive number, else `fallback`.
uint64_t FromEnvironment(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && std::atoll(text) > 0 ? std::strtoull(text, nullptr, 10) : fallback;
}

Bytes Head(const char* fixture, size_t limit) {
    Bytes bytes = test::ReadBytes(test::Fixture(fixture));
    bytes.resize(std::min(bytes.size(), limit));
    return bytes;
}

TEST(Mp3InfoFuzz, MutatedFilesNeitherCrashNorHang) {
    // Every kind of tag around a little audio, so that mutations reach every parser: ID3v2.4 with
    // UTF-16 and UTF-8 frames and one flagged compressed that does not inflate, then APE, Lyrics3
    // and an ID3v1 tag holding GBK bytes.
    Bytes tagged = test::Id3v2Tag(
        {{"TIT2", "\xFF\xFE\x2D\x4E\x87\x65"}, {"TPE1", std::string("\0\x10\0x", 4)}}, 4, 1, 4);
    tagged[10 + 10 + 7 + 9] = 0x08;  // the second frame's "compressed" flag, behind a 7-byte first
    const Bytes audio = Head(test::kV1RockMp3, 3000);
    tagged.insert(tagged.end(), audio.begin(), audio.end());
    for (const Bytes& tail : {test::ApeTag({{"Title", "校歌"}}), test::Lyrics3v2Block("la"),
                              test::Id3v1Tag("\xD0\xC2\xCE\xC5", "x", 17)})
        tagged.insert(tagged.end(), tail.begin(), tail.end());
    const std::vector<Bytes> seeds{Head(test::kCbrMp3, 8000), Head(test::kV1RockMp3, 1 << 20),
                                   Head(test::kVbrMp3, 6000), tagged};
    for (const Bytes& seed : seeds) ASSERT_GT(seed.size(), 500u) << "fixtures missing?";
    test::TempDir dir;  // findings go with it: copy them out to debug
    const auto findings =
        FuzzInChildren(seeds, FromEnvironment("LUMETRA_FUZZ_CASES", 4000),
                       static_cast<uint32_t>(FromEnvironment("LUMETRA_FUZZ_SEED", 1)), dir.Path(),
                       std::chrono::milliseconds(3000), [](const std::string& path) {
                           CMp3Info info;
                           info.Open(path);
                           for (const auto& text : {info.Title(), info.Artist(), info.Album(), info.Comment(),
                                                    info.Genre(), info.UserUrl(), info.Year()})
                               if (text && !g_utf8_validate(text->data(), text->size(), nullptr))
                                   _exit(3);  // reported as "crash (exit 3)"
                       });
    for (const Finding& f : findings) ADD_FAILURE() << "case " << f.index << ": " << f.what;
}

// The harness itself, so that the test above cannot pass for nothing: a reader that crashes on one
// case and hangs on another, each known by its bytes, is caught on both and only on them (so the
// cases before differ from them: mutations change the seed), with their bytes kept.
TEST(Mp3InfoFuzz, HarnessMutatesAndCatchesCrashesAndHangs) {
    const std::vector<Bytes> seeds{Bytes(2000, 0x55)};
    test::TempDir dir;
    const auto findings = FuzzInChildren(seeds, 12, 1, dir.Path(), std::chrono::milliseconds(300),
                                         [&](const std::string& path) {
                                             const Bytes bytes = test::ReadBytes(path);
                                             if (bytes == MutatedCase(seeds, 4, 1)) std::raise(SIGSEGV);
                                             if (bytes == MutatedCase(seeds, 8, 1))
                                                 std::this_thread::sleep_for(std::chrono::seconds(30));
                                         });
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].index, 4u);
    EXPECT_EQ(findings[0].what, "crash (signal 11)");
    EXPECT_EQ(findings[1].index, 8u);
    EXPECT_EQ(findings[1].what, "hang");
    EXPECT_EQ(test::ReadBytes(dir.File("finding-8.mp3")), MutatedCase(seeds, 8, 1));
}

}  // namespace
}  // namespace lumetra
