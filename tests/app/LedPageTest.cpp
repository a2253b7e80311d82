// The LED page on a real database file, with the real frame builder recording into the link.
#include "AppTestKit.h"
#include "app/KeySwallower.h"
#include "pages/LedHistoryModel.h"
#include "station/Station.h"
#include "tests/support/RecordingLink.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

std::vector<std::string> StoredRows() {
    return Column(
        "select LedAddrID || '|' || LedContent || '|' || LedRemark || '|' || sendtime as row from LED",
        "row");
}

}  // namespace

class LedPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CPageTestBed> m_bed;
    CScriptedMessageBoxes* m_boxes = nullptr;
    std::unique_ptr<CRecordingLink> m_link;
    std::unique_ptr<CSimulatedClock> m_clock;
    std::unique_ptr<CStation> m_station;
    std::unique_ptr<CLedPage> m_page;

    // Sends `text` to the screen at `position`; the boxes it showed.
    QStringList Send(int position, const QString& text) {
        m_boxes->shown.clear();
        m_page->AddressList()->setCurrentIndex(position);
        m_page->TextEdit()->setPlainText(text);
        Click(m_page->SendButton());
        return m_boxes->Texts();
    }

private slots:
    void init() {
        m_bed = std::make_unique<CPageTestBed>();
        m_boxes = &m_bed->boxes;
        m_link = std::make_unique<CRecordingLink>();
        m_clock = std::make_unique<CSimulatedClock>(LocalTime(2026, 3, 5, 14, 7, 9));
        m_station = std::make_unique<CStation>(AppConnection(), *m_link, *m_clock);
        m_page = std::make_unique<CLedPage>(*m_station, AppConnection(), nullptr);
    }
    void cleanup() {
        m_page.reset();
        m_station.reset();
        m_bed.reset();
    }

    // Typed text is counted in GBK bytes and cut at 128 with a message, never inside a character.
    void textIsCountedAndCutInGbkBytes() {
        const QString a = QStringLiteral("a"), zh = QStringLiteral("中"), emoji = QStringLiteral("😀");
        const struct {
            QString typed, kept;
            int left;
        } cases[] = {{QStringLiteral("第1行\n第2行"), QStringLiteral("第1行\n第2行"), 117},
                     {a.repeated(128), a.repeated(128), 0},
                     {a.repeated(129), a.repeated(128), 0},
                     {a.repeated(127) + zh, a.repeated(127), 1},
                     {a + emoji, a + emoji, 125},  // an emoji counts two
                     {a.repeated(127) + emoji, a.repeated(127), 1}};
        for (const auto& c : cases) {
            m_boxes->shown.clear();
            m_page->TextEdit()->setPlainText(c.typed);
            QCOMPARE(m_page->TextEdit()->toPlainText(), c.kept);
            QCOMPARE(m_page->Hint()->text(),
                     QStringLiteral("还可输入 %1 字节（一个汉字占 2 字节）").arg(c.left));
            QCOMPARE(m_boxes->Texts(), c.kept == c.typed
                                           ? QStringList()
                                           : QStringList{"不能输入多于128字节（一个汉字占 2 字节）"});
        }
    }

    // Refused sends queue and store nothing; a good one queues its frame and stores its row; the
    // list shows the rows newest first, numbered down, once its button is pressed.
    void sendQueuesTheFrameStoresTheRowAndListsIt() {
        QCOMPARE(Send(-1, "text"), QStringList{"请选择编码"});
        QCOMPARE(Send(0, ""), QStringList{"请输入内容"});
        QCOMPARE(Send(5, "晚安😀"), QStringList{"字符“😀”无法在LED屏幕上显示，请删除后再发送"});
        QVERIFY(m_link->Commands().empty() && StoredRows().empty());

        const QString text = QStringLiteral("集合\nGate 2");
        QCOMPARE(Send(127, text), QStringList());
        QCOMPARE(m_link->Commands().size(), size_t(1));
        // Screen 128, the text in GBK.
        QCOMPARE(m_link->Commands()[0].data,
                 HexBytes("81 40 01 12 AD 80 BC AF BA CF 0A 47 61 74 65 20 32 37"));
        QCOMPARE(StoredRows(),
                 std::vector<std::string>{"128CH|" + text.toStdString() + "||2026-03-05 14:07:09"});
        // The recording link never hears from a transmitter: the page says the screen may have
        // missed it.
        QVERIFY(m_page->Status()->text().contains(QStringLiteral("可能没有收到")));
        Click(m_page->ClearButton());
        QVERIFY(m_page->TextEdit()->toPlainText().isEmpty() && m_page->AddressList()->currentIndex() == -1);

        for (int i = 1; i <= 2; ++i) {
            m_clock->SetTime(m_clock->Now() + 60);
            Send(i - 1, QStringLiteral("通知%1").arg(i));
        }
        m_page->show();
        QCOMPARE(m_page->History()->model()->rowCount(), 0);  // only the button loads it
        Click(m_page->HistoryButton());
        const QAbstractItemModel& model = *m_page->History()->model();
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row)
            rows << model.index(row, CLedHistoryModel::kNumber).data().toString() + " " +
                        model.index(row, CLedHistoryModel::kAddress).data().toString() + " " +
                        model.index(row, CLedHistoryModel::kContent).data(Qt::ToolTipRole).toString();
        QCOMPARE(rows, (QStringList{"3 002CH 通知2", "2 001CH 通知1", "1 128CH " + text}));
        QCOMPARE(model.index(0, CLedHistoryModel::kTime).data().toString(),
                 QStringLiteral("2026-03-05 14:09:09"));
    }

    void enterStartsANewLineInsideTheSwallowingWindow() {
        CKeySwallower swallower;
        qApp->installEventFilter(&swallower);
        CKeySwallower::Mark(m_page.get());
        m_page->show();
        m_page->TextEdit()->setFocus();
        QTest::keyClicks(m_page->TextEdit(), "ab");
        QTest::keyClick(m_page->TextEdit(), Qt::Key_Return);
        QTest::keyClick(m_page->TextEdit(), Qt::Key_Escape);
        QTest::keyClicks(m_page->TextEdit(), "c");
        qApp->removeEventFilter(&swallower);
        QCOMPARE(m_page->TextEdit()->toPlainText(), QStringLiteral("ab\nc"));
        QCOMPARE(m_page->Hint()->text(), QStringLiteral("还可输入 124 字节（一个汉字占 2 字节）"));
    }
};

QTEST_MAIN(LedPageTest)
#include "LedPageTest.moc"
