#include "pages/FolderScanProgress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

namespace lumetra {
namespace {

// How often the found files are taken over; the scan is never waited for on this thread.
constexpr int kPollMs = 20;

}  // namespace

void WaitForFolderScan(QWidget* parent, const QString& title, CFolderScan& scan,
                       const std::function<void(const FoundFile&)>& take) {
    QProgressDialog progress(QStringLiteral("正在查找音乐文件…"), QStringLiteral("取消"), 0, 0, parent);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    int found = 0;
    auto takeFound = [&] {
        for (const FoundFile& file : scan.TakeFound()) {
            ++found;
            take(file);
        }
    };
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout([&] {
        const bool done = scan.WaitDone(0);
        takeFound();
        progress.setLabelText(QStringLiteral("正在查找音乐文件…已找到 %1 个").arg(found));
        // Cancel returns at once, even when the scan is blocked in a file: what it finds from
        // here on is dropped.
        if (progress.wasCanceled()) scan.Cancel();
        if (done || progress.wasCanceled()) loop.quit();
    });
    poll.start(kPollMs);
    loop.exec();
    takeFound();
}

}  // namespace lumetra
