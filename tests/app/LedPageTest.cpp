// The LED page on a real database file, with the real frame builder recording into the link.
#include "AppTestKit.h"
#include "app/KeySwallower.h"
#include "base/Gbk.h"
#include "pages/LedHistoryModel.h"
#include "tests/link/RecordingLink.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

QString Repeat(const QString& piece, int times) {
    QString text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

std::vector<std::string> StoredRows() {
    CRecordset rows(AppConnection());
    rows.Open("select * from LED");
    std::vector<std::string> stored;
    for (; !rows.IsEOF(); rows.MoveNext())
        stored.push_back(rows.GetFieldText("LedAddrID") + "|" + rows.GetFieldText("LedContent") + "|" +
                         rows.GetFieldText("LedRemark") + "|" + rows.GetFieldText("sendtime"));
    return stored;
}

}  // namespace

class LedPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CAppDatabase> m_db;
    std::unique_ptr<CScriptedMessageBoxes> m_boxes;
    std::unique_ptr<CRecordingLink> m_link;
    std::unique_ptr<CSimulatedClock> m_clock;
    std::unique_ptr<CDlgLED> m_page;

    void Send(int position, const QString& text) {
        m_page->AddressList()->setCurrentIndex(position);
        m_page->TextEdit()->setPlainText(text);
        Click(m_page->SendButton());
    }

private slots:
    void init() {
        m_db = std::make_unique<CAppDatabase>();
        m_boxes = std::make_unique<CScriptedMessageBoxes>();
        m_link = std::make_unique<CRecordingLink>();
        m_clock = std::make_unique<CSimulatedClock>(LocalTime(2026, 3, 5, 14, 7, 9));
        m_page = std::make_unique<CDlgLED>(*m_link, *m_clock, AppConnection(), nullptr);
    }
    void cleanup() {
        m_page.reset();
        m_boxes.reset();
        m_db.reset();
    }

    void textIsCountedAndCutInGbkBytes_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("left");
        const QString a = QStringLiteral("a"), zh = QStringLiteral("中");
        QTest::newRow("latin") << QStringLiteral("Hello, LED!") << QStringLiteral("Hello, LED!") << 117;
        QTest::newRow("sixty chinese") << Repeat(zh, 60) << Repeat(zh, 60) << 8;
        QTest::newRow("mixed with a line break")
            << QStringLiteral("第1行\n第2行") << QStringLiteral("第1行\n第2行") << 117;
        QTest::newRow("128 latin") << Repeat(a, 128) << Repeat(a, 128) << 0;
        QTest::newRow("129th latin byte") << Repeat(a, 129) << Repeat(a, 128) << 0;
        QTest::newRow("65 chinese") << Repeat(zh, 65) << Repeat(zh, 64) << 0;
        QTest::newRow("128th byte inside a character") << Repeat(a, 127) + zh << Repeat(a, 127) << 1;
        QTest::newRow("129th byte inside a character")
            << Repeat(a, 126) + zh + zh << Repeat(a, 126) + zh << 0;
        QTest::newRow("emoji counts two") << QStringLiteral("a😀") << QStringLiteral("a😀") << 125;
        QTest::newRow("emoji at the limit") << Repeat(a, 127) + QStringLiteral("😀") << Repeat(a, 127) << 1;
    }
    void textIsCountedAndCutInGbkBytes() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(int, left);
        m_page->TextEdit()->setPlainText(typed);
        QCOMPARE(m_page->TextEdit()->toPlainText(), kept);
        QCOMPARE(m_page->Hint()->text(), QStringLiteral("注：能够输入%1个字符").arg(left));
        QCOMPARE(m_boxes->Texts(), kept == typed ? QStringList() : QStringList{"不能输入多于128个字符"});
    }

    void sendQueuesTheFrameAndStoresTheRow() {
        QCOMPARE(m_page->AddressList()->count(), 128);
        QCOMPARE(m_page->AddressList()->currentIndex(), -1);
        QCOMPARE(m_page->AddressList()->itemText(8), QStringLiteral("009CH"));
        QCOMPARE(m_page->AddressList()->itemText(98), QStringLiteral("099CH"));
        const QString text = QStringLiteral("请到操场集合\nGate 2");
        Send(127, text);
        QVERIFY(m_boxes->shown.empty());

        const std::string gbk = *Utf8ToGbk(text.toStdString());
        std::vector<uint8_t> frame = {0x81, 0x40, 0x01, static_cast<uint8_t>(gbk.size() + 7), 0xAD, 128};
        for (const char byte : gbk) frame.push_back(static_cast<uint8_t>(byte));
        uint8_t sum = 0;
        for (size_t i = 1; i < frame.size(); ++i) sum ^= frame[i];
        frame.push_back(sum);
        QCOMPARE(m_link->Commands().size(), size_t(1));
        QCOMPARE(m_link->Commands()[0].name, std::string("SendLED"));
        QCOMPARE(m_link->Commands()[0].data, frame);
        QCOMPARE(StoredRows(),
                 std::vector<std::string>{"128CH|" + text.toStdString() + "||2026-03-05 14:07:09"});
        // The recording link never hears from a transmitter: the page says the screen may have
        // missed it.
        QVERIFY(m_page->Status()->text().contains(QStringLiteral("可能没有收到")));

        Click(m_page->ClearButton());
        QCOMPARE(m_page->TextEdit()->toPlainText(), QString());
        QCOMPARE(m_page->AddressList()->currentIndex(), -1);
    }

    void refusalsQueueAndStoreNothing() {
        const struct {
            int position;
            QString text, message;
        } cases[] = {
            {-1, QStringLiteral("text"), QStringLiteral("请选择编码")},
            {-1, QString(), QStringLiteral("请选择编码")},
            {0, QString(), QStringLiteral("请输入内容")},
            {5, QStringLiteral("晚安😀"), QStringLiteral("字符“😀”无法在LED屏幕上显示，请删除后再发送")},
        };
        for (const auto& c : cases) {
            m_boxes->shown.clear();
            Send(c.position, c.text);
            QCOMPARE(m_boxes->Texts(), QStringList{c.message});
        }
        QVERIFY(m_link->Commands().empty());
        QVERIFY(StoredRows().empty());
    }

    void historyListsNewestFirstNumberedDown() {
        for (int i = 1; i <= 3; ++i) {
            Send(i - 1, QStringLiteral("通知%1").arg(i));
            m_clock->SetTime(m_clock->Now() + 60);
        }
        QCOMPARE(m_page->History()->model()->rowCount(), 0);  // only the button loads it
        Click(m_page->HistoryButton());
        const QAbstractItemModel& model = *m_page->History()->model();
        QCOMPARE(model.rowCount(), 3);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(model.index(row, CLedHistoryModel::kNumber).data().toString(), QString::number(3 - row));
            QCOMPARE(model.index(row, CLedHistoryModel::kAddress).data().toString(),
                     QStringLiteral("00%1CH").arg(3 - row));
            QCOMPARE(model.index(row, CLedHistoryModel::kContent).data(Qt::ToolTipRole).toString(),
                     QStringLiteral("通知%1").arg(3 - row));
        }
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
        QCOMPARE(m_page->Hint()->text(), QStringLiteral("注：能够输入124个字符"));
    }
};

QTEST_MAIN(LedPageTest)
#include "LedPageTest.moc"
