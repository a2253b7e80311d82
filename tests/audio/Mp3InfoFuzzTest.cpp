// Thousands of mutated MP3 files (cut short, garbled tag sizes and flags, zero blocks, false frame
// syncs, stray ID3v1 tags; seeds with ID3v2.3, ID3v2.4 in UTF-16 and UTF-8, APE, Lyrics3, ID3v1
// and a VBR header) through CMp3Info::Open: a text that is not UTF-8 fails the test naming the
// case; a crash, or a case still reading after three seconds (ended by SIGALRM), ends the test's
// process and leaves the case's bytes as case-N.mp3 in its temporary folder. LUMETRA_FUZZ_CASES
// sets the number of cases (default 4000), LUMETRA_FUZZ_SEED the series.
#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <random>

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
    const uint64_t cases = FromEnvironment("LUMETRA_FUZZ_CASES", 4000);
    const auto seed = static_cast<uint32_t>(FromEnvironment("LUMETRA_FUZZ_SEED", 1));
    test::TempDir dir;
    std::signal(SIGALRM, SIG_DFL);
    size_t changed = 0;
    for (uint64_t i = 0; i < cases; ++i) {
        const Bytes bytes = MutatedCase(seeds, i, seed);
        changed += bytes != seeds[i % seeds.size()];
        const std::string path = dir.File("case-" + std::to_string(i) + ".mp3");
        test::WriteBytes(path, bytes);
        alarm(3);
        CMp3Info info;
        info.Open(path);
        alarm(0);
        for (const auto& text : {info.Title(), info.Artist(), info.Album(), info.Comment(), info.Genre(),
                                 info.UserUrl(), info.Year()})
            if (text && !g_utf8_validate(text->data(), static_cast<gssize>(text->size()), nullptr))
                ADD_FAILURE() << "case " << i << " of series " << seed << " gives text that is not UTF-8";
        std::filesystem::remove(path);
    }
    EXPECT_GT(changed, cases * 9 / 10) << "the mutations change the seeds";
}

}  // namespace
}  // namespace lumetra
