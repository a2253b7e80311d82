// Figures of the task pages, on the offscreen platform with a real database file:
//   - adding a folder of 1,000 generated MP3 files to the editor's list;
//   - deleting one file from that list;
//   - loading a task list of 5,000 rows.
// Each figure is the median of five runs.
#include <QApplication>
#include <QPushButton>
#include <QTime>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "bench/BenchTiming.h"
#include "pages/DlgTaskEdit.h"
#include "pages/TaskDraft.h"
#include "pages/TaskListPage.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TestDatabase.h"
#include "widgets/ColorList.h"

using namespace lumetra;
using bench::Milliseconds;
using bench::Report;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::TempDir dir;
    std::string error;
    if (!MakeDeliveredDatabase(dir.File(kDatabaseFileName), &error) ||
        !AppConnection().Open(dir.File(kDatabaseFileName), &error)) {
        std::fprintf(stderr, "database: %s\n", error.c_str());
        return 1;
    }
    const std::string folder = dir.File("music");
    std::filesystem::create_directory(folder);
    for (int i = 0; i < 1000; ++i) test::WriteSilentMp3(folder + "/" + std::to_string(i) + ".mp3", 1 + i % 5);

    std::vector<double> adds, deletes;
    for (int run = 0; run < 5; ++run) {
        CDlgTaskEdit editor(AppConnection(), nullptr);
        adds.push_back(Milliseconds([&] { editor.AddFolder(QString::fromStdString(folder)); }));
        if (editor.FileList()->RowCount() != 1000) {
            std::fprintf(stderr, "the folder gave %d files\n", editor.FileList()->RowCount());
            return 1;
        }
        editor.FileList()->SelectRow(500);
        deletes.push_back(Milliseconds([&] { editor.Button(CDlgTaskEdit::kDeleteFile)->click(); }));
    }
    Report("add a folder of 1,000 MP3 files", adds, 1500);
    Report("delete one file of 1,000", deletes, 50);

    AppConnection().ExecuteSql("begin");
    for (int i = 0; i < 5000; ++i)
        AppConnection().ExecuteSql(FormatSql(sql::kInsertTask, "任务" + std::to_string(i), "2026-03-05",
                                             QTime(0, 0).addSecs(i * 17).toString("HH:mm:ss").toStdString(),
                                             "23:59:59", "周", "1", "", ZoneEntries({1, 2, 3}), "1", "246",
                                             "未执行", "1", "1001"));
    AppConnection().ExecuteSql("commit");
    CTaskListPage page(AppConnection(), nullptr);
    std::vector<double> loads;
    for (int run = 0; run < 5; ++run) loads.push_back(Milliseconds([&] { page.LoadTasks(); }));
    Report("load a task list of 5,000 rows", loads, 300);
    AppConnection().Close();
    return 0;
}
