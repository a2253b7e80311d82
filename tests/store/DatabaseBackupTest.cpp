// Backup and restore of the open application database, on real SQLite files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "store/Database.h"
#include "store/DatabaseBackup.h"
#include "store/DeliveredDatabase.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::TempDir;
using test::TestDatabase;

std::string Count(CDatabase& db, const std::string& table) {
    return test::QueryRows(db, "select count(*) as n from " + table, {"n"}).at(0);
}

size_t FilesIn(const std::string& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
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
    EXPECT_EQ(Count(live.Db(), "user"), "2") << "the same connection reads the restored rows";
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
