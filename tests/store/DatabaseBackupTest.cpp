// Backup and restore of the open application database, on real SQLite files.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <thread>

#include "store/Database.h"
#include "store/DatabaseBackup.h"
#include "store/DeliveredDatabase.h"
#include "store/HistoryTable.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::TempDir;
using test::TestDatabase;

std::string Count(CDatabase& db, const std::string& table) {
    return test::QueryRows(db, "select count(*) as n from " + table, {"n"}).at(0);
}

// The database files in `dir`; an open database's log and shared memory beside it are not counted.
size_t FilesIn(const std::string& dir) {
    return static_cast<size_t>(
        std::ranges::count_if(std::filesystem::directory_iterator(dir),
                              [](const auto& entry) { return entry.path().extension() == ".mdb"; }));
}

TEST(DatabaseBackup, CopyTakenWhileAnotherThreadWritesHoldsWholeStatements) {
    TestDatabase live;
    TempDir out;
    // Like the scheduler marking tasks during a broadcast: every statement adds two rows at once. The
    // thread is stopped and joined however the test ends, a failed assertion too.
    std::jthread writer([&](std::stop_token stop) {
        for (int i = 0; !stop.stop_requested(); ++i)
            live.Db().ExecuteSql("insert into LED (LedAddrID, LedContent, sendtime) select '1', 'a', '" +
                                 std::to_string(i) + "' union all select '2', 'b', ''");
    });
    for (int i = 0; i < 5; ++i) {
        std::string error;
        const std::string copy = out.File("backup" + std::to_string(i) + ".mdb");
        ASSERT_TRUE(BackupDatabase(live.Db(), copy, &error)) << error;
        ASSERT_TRUE(CheckRestorable(copy, &error)) << error;
        CDatabase copied;
        ASSERT_TRUE(copied.Open(copy, &error));
        EXPECT_EQ(std::stoi(Count(copied, "LED")) % 2, 0);
        // The user-interface thread reads on the connection the other thread writes on.
        for (int read = 0; read < 100; ++read) EXPECT_EQ(std::stoi(Count(live.Db(), "LED")) % 2, 0);
    }
    writer.request_stop();
    writer.join();
    EXPECT_EQ(FilesIn(out.Path()), 5u) << "no partial file is left behind";
}

// A history line stored every few seconds would start a copy over at each of its steps; the copy
// reads one snapshot instead, so it finishes, never going back, and holds whole lines only. The
// writer stores one line between any two steps.
TEST(DatabaseBackup, StepsFinishWhileHistoryIsWrittenAndTheCopyIsConsistent) {
    TestDatabase live;
    TempDir out;
    CHistoryTable(live.Db()).Write(1, true, HistoryEvent{});
    live.Db().ExecuteSql(
        "with recursive n(i) as (select 2 union all select i+1 from n where i<400) insert into "
        "lumetra_history_record (id,kind,first_at,last_at,title) select i,1,i,i,hex(zeroblob(1000)) from n");
    std::mutex lock;
    std::condition_variable stored;
    int lines = 0;
    std::jthread writer([&](std::stop_token stop) {
        HistoryEvent event;
        event.detail = std::string(2000, 'x');
        for (int64_t id = 1000; !stop.stop_requested(); ++id) {
            CHistoryTable(live.Db()).Write(id, true, event);
            std::lock_guard guard(lock);
            ++lines;
            stored.notify_all();
        }
    });
    std::vector<int> copied;
    std::atomic<bool> startedOver{false};
    CopyControl control;
    control.pagesPerStep = 4;
    control.cancel = &startedOver;
    control.progress = [&](int done, int) {
        startedOver = startedOver || (!copied.empty() && done < copied.back());
        copied.push_back(done);
        std::unique_lock guard(lock);
        const int before = lines;
        stored.wait(guard, [&] { return lines > before; });
    };
    std::string error;
    const std::string copy = out.File("backup.mdb");
    ASSERT_TRUE(BackupDatabase(live.Db(), copy, &error, control))
        << error << (startedOver ? ": started over" : "");
    writer.request_stop();
    writer.join();
    EXPECT_GT(copied.size(), 10u);
    ASSERT_TRUE(CheckRestorable(copy, &error)) << error;
    CDatabase copiedDb;
    ASSERT_TRUE(copiedDb.Open(copy, &error)) << error;
    EXPECT_EQ(Count(copiedDb, "lumetra_history_record where id>=1000"),
              Count(copiedDb, "lumetra_history_event where record>=1000"))
        << "each line with its event";
    EXPECT_LT(std::stoi(Count(copiedDb, "lumetra_history_record")),
              std::stoi(Count(live.Db(), "lumetra_history_record")));
}

// A restore holds the other threads' statements back only while it swaps the files: a thread that
// writes all along is refused nothing, and its writes after the swap are in the restored file.
TEST(DatabaseBackup, RestorePausesTheOtherThreadsOnlyForTheSwap) {
    TestDatabase live;
    TempDir out;
    std::string error;
    const std::string copy = out.File("copy.mdb");
    ASSERT_TRUE(BackupDatabase(live.Db(), copy, &error)) << error;
    live.Db().ExecuteSql("insert into user (用户名, 密码) values ('before', '')");
    std::atomic<int> written{0};
    std::atomic<bool> refused{false};
    std::jthread writer([&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            try {
                live.Db().ExecuteSql(
                    "insert into LED (LedAddrID, LedContent, sendtime) values ('1', 'a', '')");
                ++written;
            } catch (const CDbError&) {
                refused = true;
            }
        }
    });
    while (written < 50) std::this_thread::yield();
    std::string kept;
    ASSERT_TRUE(RestoreDatabase(live.Db(), copy, 0, &kept, &error)) << error;
    const int atSwap = written;
    while (written < atSwap + 50) std::this_thread::yield();
    writer.request_stop();
    writer.join();
    EXPECT_FALSE(refused);
    EXPECT_EQ(Count(live.Db(), "user where 用户名='before'"), "0") << "the restored file is in use";
    EXPECT_GE(std::stoi(Count(live.Db(), "LED")), 50) << "the writes after the swap went to it";
    CDatabase replaced;
    ASSERT_TRUE(replaced.Open(kept, &error)) << error;
    EXPECT_EQ(Count(replaced, "user where 用户名='before'"), "1");
}

// What is not a sound Lumetra database is refused and changes nothing (a text file:
// SettingsPageTest.backupRestoreShutdownAndAutostartGroups); a sound copy is put back and the
// database it replaced is kept, dated, beside it.
TEST(DatabaseBackup, RestoreRefusesWhatIsNotSoundThenPutsTheCopyBackAndKeepsTheReplacedOneDated) {
    TestDatabase live;
    TempDir out;
    std::string error;
    live.Db().ExecuteSql("insert into user (用户名, 密码) values ('marker', '')");

    const std::string foreign = out.File("foreign.mdb");
    CDatabase other;
    std::ofstream(foreign).close();
    ASSERT_TRUE(other.Open(foreign, &error)) << error;
    other.ExecuteSql("create table contacts (name TEXT)");
    other.Close();
    const std::string lacking = out.File("lacking.mdb");
    ASSERT_TRUE(MakeDeliveredDatabase(lacking, &error));
    ASSERT_TRUE(other.Open(lacking, &error));
    other.ExecuteSql("alter table tb_memo drop column 状态");
    other.Close();
    const std::string corrupt = out.File("corrupt.mdb");
    ASSERT_TRUE(BackupDatabase(live.Db(), corrupt, &error));
    {
        std::fstream bytes(corrupt, std::ios::in | std::ios::out | std::ios::binary);
        bytes.seekp(4 * 4096);  // the header of the receivers' table's page
        bytes << std::string(8, '\x5a');
    }

    const struct {
        std::string path, reason;
    } refused[] = {
        {foreign, "缺少表"},       {lacking, "表 tb_memo 缺少列 状态"},           {corrupt, "已损坏"},
        {live.Path(), "正在使用"}, {out.File("missing.mdb"), "不是可用的数据库"},
    };
    for (const auto& file : refused) {
        std::string kept, reason;
        EXPECT_FALSE(RestoreDatabase(live.Db(), file.path, 0, &kept, &reason)) << file.path;
        EXPECT_NE(reason.find(file.reason), std::string::npos) << file.path << ": " << reason;
        EXPECT_EQ(Count(live.Db(), "user where 用户名='marker'"), "1");
        EXPECT_EQ(FilesIn(std::filesystem::path(live.Path()).parent_path()), 1u) << "no dated copy";
    }

    std::string kept;
    const std::string copy = out.File("copy.mdb");
    ASSERT_TRUE(BackupDatabase(live.Db(), copy, &error)) << error;
    live.Db().ExecuteSql("delete from user");
    const std::time_t noon = test::LocalTime(2026, 12, 9, 12, 0, 0);
    ASSERT_TRUE(RestoreDatabase(live.Db(), copy, noon, &kept, &error)) << error;
    EXPECT_EQ(Count(live.Db(), "user"), "2") << "every thread reads the restored file";
    EXPECT_EQ(std::filesystem::path(kept).parent_path(), std::filesystem::path(live.Path()).parent_path());
    EXPECT_TRUE(std::filesystem::path(kept).filename().string().starts_with("dbinfo-20261209-")) << kept;
    CDatabase replaced;
    ASSERT_TRUE(replaced.Open(kept, &error)) << error;
    EXPECT_EQ(Count(replaced, "user"), "0");
    std::string second;
    ASSERT_TRUE(RestoreDatabase(live.Db(), copy, noon, &second, &error)) << error;
    EXPECT_NE(second, kept) << "a second restore in the same second keeps both copies";
}

}  // namespace
}  // namespace lumetra
