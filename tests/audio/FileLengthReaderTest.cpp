// The file length reader on real files: lengths arrive in the order asked, a missing file says
// so, and a read that blocks never holds the reader's owner: destroying the reader returns at once,
// the blocked thread lingers (and is reported at exit) until its read ends, and nothing it reads
// afterwards is delivered.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "audio/FileLengthReader.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;

TEST(FileLengthReaderTest, DeliversInOrderAndNeverHoldsItsOwner) {
    test::TempDir dir;
    const std::string shortFile = dir.File("short.mp3"), longFile = dir.File("long.mp3");
    test::WriteSilentMp3(shortFile, 3);
    test::WriteSilentMp3(longFile, 65);
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> delivered;
    bool blocking = false, released = false, blocked = false;
    auto reader = [&](const std::string& path) {
        std::unique_lock lock(mutex);
        if (blocking) {
            blocked = true;
            changed.notify_all();
            changed.wait_for(lock, 10s, [&] { return released; });
        }
        return ReadPlayingSeconds(path);
    };
    auto deliver = [&](const std::string& path, FileLength length) {
        std::lock_guard lock(mutex);
        delivered.push_back(path + (length.exists ? " " + std::to_string(length.seconds) : " missing"));
        changed.notify_all();
    };
    {
        CFileLengthReader lengths(reader, deliver);
        lengths.Read({longFile, dir.File("gone.mp3")});
        lengths.Read({shortFile});
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return delivered.size() == 3; }));
        EXPECT_EQ(delivered, (std::vector<std::string>{longFile + " 65", dir.File("gone.mp3") + " missing",
                                                       shortFile + " 3"}));
        blocking = true;
    }
    auto lengths = std::make_unique<CFileLengthReader>(reader, deliver);
    lengths->Read({shortFile, longFile});
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return blocked; }));
    }
    lengths.reset();  // had it waited for the read, the read would have ended by now
    EXPECT_EQ(JoinLingeringThreads(20ms), 1u) << "still blocked at exit";
    {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    EXPECT_EQ(JoinLingeringThreads(5s), 0u);
    EXPECT_EQ(delivered.size(), 3u) << "a length read after the reader went was delivered";
}

}  // namespace
}  // namespace lumetra
