#include "pages/FolderScanProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace lumetra {

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
    while (!scan.WaitDone(50)) {
        takeFound();
        progress.setLabelText(QStringLiteral("正在查找音乐文件…已找到 %1 个").arg(found));
        QCoreApplication::processEvents();
        if (progress.wasCanceled()) {
            // Returns at once, even when the scan is blocked in a file: what it finds from here on
            // is dropped.
            scan.Cancel();
            break;
        }
    }
    takeFound();
}

}  // namespace lumetra
