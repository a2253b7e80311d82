// The history page "播放记录" in the running program: a broadcast whose file is missing puts the
// mark on the status bar, the mark opens the page at that broadcast, the page's filters pick the
// lines, and the export reads back through Python's csv module with the Chinese intact.
#include <QJsonArray>
#include <QJsonDocument>

#include "AppTestKit.h"
#include "pages/HistoryFilter.h"
#include "pages/HistoryModel.h"
#include "pages/HistoryPage.h"
#include "store/HistoryTable.h"
#include "store/ZoneCatalog.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::time_t kMondayMorning = LocalTime(2026, 3, 2, 8, 0, 30);

// The titles of the lines the page shows, in order.
QStringList ShownTitles(const CHistoryPage& page) {
    QStringList titles;
    const CHistoryFilter& filter = page.Filter();
    for (int row = 0; row < filter.rowCount(); ++row)
        titles << filter.index(row, CHistoryModel::kTitle).data().toString();
    return titles;
}

// The rows of a CSV file as Python's csv module reads them; empty when it cannot.
QJsonArray ReadCsv(const QString& path) {
    QProcess python;
    python.start("python3", {"-c",
                             "import csv, json, sys\n"
                             "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                             "    print(json.dumps(list(csv.reader(f))))",
                             path});
    if (!python.waitForFinished(10000) || python.exitCode() != 0) return {};
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

}  // namespace

class HistoryPageTest : public QObject {
    Q_OBJECT

    TempDir m_config;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config.Path())); }

    // A broadcast started late today; Sunday's lines are there to be filtered.
    void theMarkOpensTheFailedBroadcastTheExportReadsBackAndFiltersPickLines() {
        const std::string missing = "/nowhere/晨曲, \"新\".mp3";
        const std::time_t sunday = LocalTime(2026, 3, 1, 0, 0, 0);
        CMainRig rig(kMondayMorning, [&] {
            InsertTask(AppConnection(), "早间广播", sql::kStateIdle, "08:00:00", "08:30:00", 3, "1000",
                       missing);
            using enum HistoryKind;
            const std::tuple<HistoryKind, int, const char*, const char*> lines[] = {
                {kStart, 7, "早操", "1-2"},
                {kStart, 12, "午间", "5"},  // failed
                {kChannelsOn, 9, "打开接收机", "2"},
                {kLinkDown, 10, "通讯中断", ""},
                {kStart, -1, "前晚", "1"}};
            int64_t id = 0;
            for (auto [kind, hour, title, zones] : lines) {
                HistoryEvent event;
                event.at = sunday + hour * 3600, event.kind = kind, event.title = title, event.zones = zones;
                event.failed = ++id == 2;
                CHistoryTable(AppConnection()).Write(id, true, event);
            }
            CZoneCatalog zones(AppConnection());
            zones.AddZone(1, "教学楼");
            zones.MoveChannelToZone(5, "001FH(教学楼)");
        });
        CMainWindow& main = *rig.main;
        QTRY_VERIFY_WITH_TIMEOUT(main.FailureMark()->isVisible(), 10000);  // started late, at once
        rig.LogIn();
        QTest::mouseClick(main.FailureMark(), Qt::LeftButton);
        CHistoryPage& page = *main.HistoryPage();
        QVERIFY(page.isVisible());
        QVERIFY(!main.FailureMark()->isVisible());

        const QModelIndex line = page.View()->currentIndex();
        QVERIFY(line.isValid());
        QCOMPARE(line.siblingAtColumn(CHistoryModel::kTitle).data().toString(), QStringLiteral("早间广播"));
        QCOMPARE(line.siblingAtColumn(CHistoryModel::kOutcome).data().toString(), QStringLiteral("失败(1)"));
        QStringList events;
        for (int row = 0; row < page.Filter().rowCount(line); ++row)
            events << page.Filter().index(row, CHistoryModel::kTitle, line).data().toString();
        QCOMPARE(events.mid(0, 2), (QStringList{"迟到开始", "文件失败"}));
        const QString failure = page.Filter().index(1, CHistoryModel::kZones, line).data().toString();
        QVERIFY2(failure.contains(QString::fromStdString(missing)) && failure.contains("文件不存在"),
                 qPrintable(failure));

        // Exported, the file starts with the byte-order mark and Python's csv module reads the same
        // texts back, the file name's comma and quotes included.
        TempDir dir;
        const QString path = QString::fromStdString(dir.File("记录.csv"));
        QVERIFY(page.ExportCsv(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(3), QByteArray("\xEF\xBB\xBF"));
        const QJsonArray rows = ReadCsv(path);
        QVERIFY(rows.size() >= 3);
        QCOMPARE(rows[0].toArray()[1].toString(), QStringLiteral("任务/操作"));
        QCOMPARE(rows[2].toArray()[1].toString(), QStringLiteral("早间广播"));
        QCOMPARE(rows[2].toArray()[6].toString(), QStringLiteral("文件失败"));
        QCOMPARE(rows[2].toArray()[7].toString(), failure);

        // Sunday's lines, read on Monday: what the running station records today stays out of them.
        QCOMPARE(page.FromDate()->date(), QDate(2026, 3, 2));
        page.FromDate()->setDate(QDate(2026, 3, 1));
        page.ToDate()->setDate(QDate(2026, 3, 1));
        QVERIFY(page.Load());
        QCOMPARE(ShownTitles(page), (QStringList{"早操", "打开接收机", "通讯中断", "午间"}));

        struct Case {
            const char* task;
            const char* zone;
            CHistoryFilter::Outcome outcome;
            QStringList shown;
        };
        const Case cases[] = {
            {"全部任务", "全部区域", CHistoryFilter::kFailed, {"午间"}},
            {"全部任务", "全部区域", CHistoryFilter::kSucceeded, {"早操"}},
            {"全部任务", "全部区域", CHistoryFilter::kOperator, {"打开接收机"}},
            {"全部任务", "全部区域", CHistoryFilter::kLink, {"通讯中断"}},
            {"早操", "全部区域", CHistoryFilter::kAll, {"早操"}},
            {"全部任务", "001FH(教学楼)", CHistoryFilter::kAll, {"午间"}},
            {"全部任务", "默认编码", CHistoryFilter::kAll, {"早操", "打开接收机"}},
        };
        for (const Case& c : cases) {
            page.TaskFilter()->setCurrentText(c.task);
            page.ZoneFilter()->setCurrentText(c.zone);
            page.OutcomeFilter()->setCurrentIndex(c.outcome);
            QCOMPARE(ShownTitles(page), c.shown);
        }
        page.OutcomeFilter()->setCurrentIndex(CHistoryFilter::kAll);
        page.ZoneFilter()->setCurrentIndex(0);
        page.FromDate()->setDate(QDate(2026, 2, 28));
        QVERIFY(page.Load());
        QCOMPARE(ShownTitles(page), (QStringList{"前晚", "早操", "打开接收机", "通讯中断", "午间"}));
    }

    // Names a spreadsheet would compute come back from the exported file with an apostrophe in
    // front, the others as they were.
    void exportedNamesAreNeverFormulas() {
        const std::pair<const char*, const char*> titles[] = {
            {"=1+2", "'=1+2"},        {"@SUM(1,2)", "'@SUM(1,2)"}, {"+86 广播", "'+86 广播"},
            {"-3 课间", "'-3 课间"},  {"\t早操", "'\t早操"},       {"\r午间", "'\r午间"},
            {"a=b 放学", "a=b 放学"}, {"'引号", "'引号"}};
        CMainRig rig(kMondayMorning, [&] {
            int64_t id = 0;
            for (const auto& [title, exported] : titles) {
                HistoryEvent event;
                event.at = kMondayMorning - 3600 + ++id, event.kind = HistoryKind::kChannelsOn,
                event.title = title;
                CHistoryTable(AppConnection()).Write(id, true, event);
            }
        });
        rig.LogIn();
        CHistoryPage& page = *rig.main->HistoryPage();
        QVERIFY(page.Load());
        TempDir dir;
        const QString path = QString::fromStdString(dir.File("记录.csv"));
        QVERIFY(page.ExportCsv(path));
        QStringList expected, read;
        for (const auto& [title, exported] : titles) expected << QString::fromUtf8(exported);
        for (const QJsonValue& row : ReadCsv(path))  // the lines written above, not the link's
            if (row.toArray()[6].toString() == QStringLiteral("打开接收机"))
                read << row.toArray()[1].toString();
        QCOMPARE(read, expected);
    }
};

QTEST_MAIN(HistoryPageTest)
#include "HistoryPageTest.moc"
