// The check tree, the zone dialogs, the zone editor, the zone control page and the receiver page on
// a real database file, with the real frame builders recording into the link.
#include <climits>

#include "AppTestKit.h"
#include "pages/DlgMoveToZone.h"
#include "pages/DlgRemark.h"
#include "pages/DlgZone.h"
#include "pages/ZoneEditor.h"
#include "pages/ZoneTree.h"
#include "station/Station.h"
#include "store/HistoryTable.h"
#include "store/Labels.h"
#include "store/ZoneCatalog.h"
#include "tests/support/RecordingLink.h"
#include "widgets/CheckTree.h"
#include "widgets/NumberEdit.h"
#include "widgets/TreeItemDrag.h"
#include "widgets/WindowEvent.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

using Lines = std::vector<std::string>;

// Replaces the field's text by typing, as the operator does.
void Type(CNumberEdit* edit, const char* text) {
    edit->LineEdit()->selectAll();
    QTest::keyClick(edit->LineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(edit->LineEdit(), text);
}

// "AreaID AreaName" of every stored zone.
Lines StoredZones() {
    return Column("select AreaID || ' ' || AreaName as zone from AeraOfTarget", "zone");
}

std::string StoredArea(int channel) {
    return Column("select * from Room where RoomID=" + std::to_string(channel), "AreaID").at(0);
}

// The tree as "zone: first channels...", zones in tree order, at most three channels each.
Lines Shown(const QTreeWidget* tree) {
    Lines lines;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* zone = tree->topLevelItem(i);
        std::string line = zone->text(0).toStdString() + ":";
        for (int j = 0; j < std::min(zone->childCount(), 3); ++j)
            line += " " + zone->child(j)->text(0).toStdString();
        lines.push_back(line);
    }
    return lines;
}

// Drags `from` over `over` (checking the highlight and cursor there) and drops it on `to`.
void Drag(QTreeWidget* tree, QTreeWidgetItem* from, QTreeWidgetItem* to) {
    QWidget* viewport = tree->viewport();
    const auto* drag = tree->findChild<CTreeItemDrag*>();
    SendMouse(viewport, QEvent::MouseButtonPress, tree->visualItemRect(from).center());
    const QPoint target = tree->visualItemRect(to).center();
    SendMouse(viewport, QEvent::MouseMove, target);
    const bool droppable = CanDropChannel(from, to) && from != to;
    QCOMPARE(drag->Highlighted(), droppable ? to : nullptr);
    QCOMPARE(viewport->cursor().shape(), droppable ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    SendMouse(viewport, QEvent::MouseButtonRelease, target);
    QVERIFY(!drag->IsDragging());
}

}  // namespace

class ZonePagesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CPageTestBed> m_bed;
    CScriptedMessageBoxes* m_boxes = nullptr;

private slots:
    void init() {
        m_bed = std::make_unique<CPageTestBed>();
        m_boxes = &m_bed->boxes;
    }
    void cleanup() { m_bed.reset(); }

    // The check tree under every zone tree: clicks on the boxes and the space key, propagated down
    // and up. (The zone control page's own click rule: zoneControlAndReceiverPagesSwitch...)
    // Actions: "click a1" on the box, "label a1" beside it, "space a1" on the current item, "all on"
    // for every item. States: of A{a1,a2,a3} B{b1{x,y},b2} C{} in this order, as digits 1 to 3.
    void clicksAndSpacePropagateDownAndUp_data() {
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("states");
        const char* const rows[][3] = {
            {"one channel leaves the zone partly checked", "click a1", "2311111111"},
            {"all channels one by one check the zone", "click a1; click a2; click a3", "3333111111"},
            {"unchecking one channel of a checked zone", "click A; click a2", "2313111111"},
            {"partly checked counts as checked and unchecks", "click A; click a2; click A", "1111111111"},
            {"deep item makes every item above partly checked", "click x", "1111223111"},
            {"siblings sharing a state pass it up one level only", "click x; click y", "1111233311"},
            {"last sibling checks every level", "click x; click y; click b2", "1111333331"},
            {"zone without channels", "click C", "1111111113"},
            {"space key acts like a click", "space a2; space A; space a3", "2113111111"},
            {"click beside the box changes nothing", "label a1; label A", "1111111111"},
            {"every item on", "click x; all on; click a1", "2133333333"}};
        for (const auto& [name, actions, states] : rows) QTest::newRow(name) << actions << states;
    }
    void clicksAndSpacePropagateDownAndUp() {
        QFETCH(QString, actions);
        QFETCH(QString, states);
        CCheckTree tree;
        for (const char* zone : {"A:a1,a2,a3", "B:b1,b2", "C:"}) {
            const QStringList parts = QString(zone).split(':');
            auto* item = new QTreeWidgetItem(&tree, {parts[0]});
            for (const QString& child : parts[1].split(',', Qt::SkipEmptyParts))
                new QTreeWidgetItem(item, {child});
        }
        for (const char* leaf : {"x", "y"}) new QTreeWidgetItem(tree.topLevelItem(1)->child(0), {leaf});
        tree.expandAll();
        tree.resize(300, 400);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QSignalSpy toggled(&tree, &CCheckTree::ItemToggled);
        int toggles = 0;
        for (const QString& action : actions.split(';')) {
            const QStringList words = action.trimmed().split(' ');
            if (words[0] == "all") {
                tree.SetAll(true);
                continue;
            }
            QTreeWidgetItem* item = tree.findItems(words[1], Qt::MatchExactly | Qt::MatchRecursive).front();
            if (words[0] == "space") {
                tree.setCurrentItem(item);
                QTest::keyClick(&tree, Qt::Key_Space);
            } else {
                const QPoint box = tree.StateImageRect(item).center();
                QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                                  words[0] == "click" ? box : box + QPoint(40, 0));
            }
            toggles += words[0] != "label";
        }
        QString shown;
        for (QTreeWidgetItemIterator it(&tree); *it; ++it)
            shown += QString::number(int(CCheckTree::State(*it)));
        QCOMPARE(shown, states);
        QCOMPARE(toggled.count(), toggles);
    }

    // A partly checked item shows the box any tree view shows for a partly checked item, which
    // reads differently from a tick.
    void partlyCheckedLooksAsInAnyTreeView() {
        CCheckTree tree;
        const QRect box(0, 0, CCheckTree::kImageSize, CCheckTree::kImageSize);
        const auto drawn = [&](const std::function<void(QPainter&)>& paint) {
            QImage image(box.size(), QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            paint(painter);
            painter.end();
            return image;
        };
        const auto state = [&](CheckState s) {
            return drawn([&](QPainter& p) { tree.PaintStateImage(p, box, s); });
        };
        QStyleOptionViewItem partly;
        partly.initFrom(&tree);
        partly.rect = box;
        partly.state |= QStyle::State_NoChange;
        QCOMPARE(state(CheckState::kPartial), drawn([&](QPainter& p) {
                     tree.style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &partly, &p, &tree);
                 }));
        QVERIFY(state(CheckState::kPartial) != state(CheckState::kChecked));
    }

    void editorChangesZonesAndRefusesWhatItMust() {
        CZoneEditor editor(AppConnection(), nullptr);
        QTreeWidget* tree = editor.Tree();
        QCOMPARE(Shown(tree), (Lines{"默认编码: 001CH 002CH 003CH"}));

        // Zone dialogs answered with a name and a number. A taken number is marked in the list;
        // OK on it names the code and keeps the dialog open with what was typed; it is cancelled.
        // Without a name no dialog may open: the press shows its box or does nothing at all.
        QPushButton *add = editor.AddButton(), *edit = editor.EditButton(), *remove = editor.DeleteButton();
        const QString taken = "分区编码%1FH已被其他分区使用，请选择其他编码！";
        const Lines two = {"1 003FH(教学楼)", "2 001FH"}, renamed = {"1 003FH(it's)", "2 001FH"},
                    last = {"1 009FH(y)", "2 001FH"};
        const struct {
            const char* select;
            QPushButton* button;
            const char* name;
            int number;
            QString message;
            Lines zones;
            int offered = 1;  // the number a new zone is offered: the lowest free one
        } changes[] = {
            // clang-format off
            {nullptr, add, "教学楼", 3, "", {"1 003FH(教学楼)"}},
            {nullptr, add, "", 1, "", two},
            {nullptr, add, "x", 3, taken.arg("003"), two, 2},
            {"003FH(教学楼)", edit, "it's", 3, "", renamed},
            {"003FH(it's)", edit, "y", 1, taken.arg("001"), renamed},
            {"003FH(it's)", edit, "y", 9, "", last},
            {nullptr, edit, nullptr, 0, "请选择需要编辑的分区！", last},
            {nullptr, remove, nullptr, 0, "请选择需要删除的分区！", last},
            {nullptr, editor.RemarkButton(), nullptr, 0, "请选择需要编辑的通道！", last},
            {"默认编码", edit, nullptr, 0, "默认编码不可以编辑！", last},
            {"默认编码", remove, nullptr, 0, "默认编码不可以删除！", last},
            {"005CH", edit, nullptr, 0, "", last},
            {"005CH", remove, nullptr, 0, "", last},
            {"001FH", editor.RemarkButton(), nullptr, 0, "", last},
            // clang-format on
        };
        for (const auto& change : changes) {
            m_boxes->shown.clear();
            editor.m_zonesChanged = false;
            tree->setCurrentItem(change.select ? Item(tree, change.select) : nullptr);
            const int shown = change.select ? LabelNumber(change.select) : change.offered;
            const bool refused = !change.message.isEmpty();
            if (change.name)
                Answer<CDlgZone>(
                    [&](CDlgZone& d) {
                        QCOMPARE(d.Number(), shown);
                        if (change.select)  // a zone's own number is not taken from it
                            QCOMPARE(d.NumberList()->itemText(shown - 1), QString::number(shown));
                        d.NameEdit()->setText(change.name);
                        d.NumberList()->setCurrentIndex(change.number - 1);
                        if (!refused) return;
                        QCOMPARE(d.NumberList()->currentText(), QString("%1（已使用）").arg(change.number));
                        d.accept();
                        QVERIFY(d.isVisible() && d.NameEdit()->text() == change.name);
                    },
                    !refused);
            Click(change.button);
            QCOMPARE(m_boxes->Texts(), refused ? QStringList{change.message} : QStringList());
            QCOMPARE(StoredZones(), change.zones);
            QCOMPARE(editor.m_zonesChanged, change.name && !refused);
        }

        // Deleting a zone returns its channels to the default zone.
        CZoneCatalog(AppConnection()).MoveChannelToZone(7, "001FH");
        tree->setCurrentItem(Item(tree, "001FH"));
        Click(remove);
        QCOMPARE(StoredZones(), Lines{"1 009FH(y)"});
        QCOMPARE(StoredArea(7), std::string("0"));
        QCOMPARE(Shown(tree), (Lines{"009FH(y):", "默认编码: 001CH 002CH 003CH"}));

        // The remark dialog shows the code and the name; an empty remark clears the name.
        tree->setCurrentItem(Item(tree, "012CH"));
        for (const QString remark : {"it's 大厅", ""}) {
            Answer<CDlgRemark>([&](CDlgRemark& d) {
                QCOMPARE(d.UnitCodeEdit()->text(), QString("012CH"));
                QCOMPARE(d.RemarkEdit()->text(), remark.isEmpty() ? QString("it's 大厅") : QString());
                d.RemarkEdit()->setText(remark);
            });
            Click(editor.RemarkButton());
            QCOMPARE(tree->currentItem()->text(0), remark.isEmpty() ? "012CH" : "012CH(" + remark + ")");
            QCOMPARE(Column("select * from Room where RoomID=12", "SpeakerName"),
                     Lines{remark.toStdString()});
        }
        QVERIFY(m_boxes->shown.empty());
    }

    // The zone control page switches the ticked receivers and the outlets; the receiver page sends
    // frequencies and volume to the ticked receivers and refuses what it cannot read.
    void zoneControlAndReceiverPagesSwitchAndTuneTheTickedReceivers() {
        CZoneCatalog catalog(AppConnection());
        catalog.AddZone(1, "一楼");
        catalog.AddZone(2, "");
        for (int channel : {3, 12}) catalog.MoveChannelToZone(channel, "001FH(一楼)");
        catalog.MoveChannelToZone(5, "002FH");
        AppConnection().ExecuteSql(
            "insert into Room (RoomID,AreaID,SpeakerName) values (200,'2','')");  // no flag of its own
        CRecordingLink link;
        CSystemClock clock;
        CStation station(AppConnection(), link, clock);  // not started: its commands alone
        CZoneControlPage page(station, AppConnection(), nullptr);
        page.show();
        CCheckTree* tree = page.Tree();
        tree->expandAll();
        QCOMPARE(Shown(tree),
                 (Lines{"001FH(一楼): 003CH 012CH", "002FH: 005CH 200CH", "默认编码: 001CH 002CH 004CH"}));

        const auto click = [tree](const char* label) {
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->StateImageRect(Item(tree, label)).center());
        };
        const auto press = [](QAbstractButton* button) { return [button] { Click(button); }; };
        const QStringList watched = {"001FH(一楼)", "003CH", "012CH",    "002FH",
                                     "005CH",       "200CH", "默认编码", "001CH"};
        const auto ticked = [&] {
            QStringList labels;
            for (const QString& label : watched)
                if (CCheckTree::IsChecked(Item(tree, label))) labels << label;
            return labels;
        };
        struct Step {
            const char* name;
            std::function<void()> act;
            std::vector<std::vector<uint8_t>> frames;
            QStringList ticked;
        };
        const Step steps[] = {
            // clang-format off
            {"tick a zone", [&] { click("001FH(一楼)"); }, {}, {"001FH(一楼)", "003CH", "012CH"}},
            {"untick one of its receivers", [&] { click("012CH"); }, {}, {"003CH"}},
            {"close selected", press(page.CloseSelectedButton()), {SpelledFrame("71 A4 68=04")}, {}},
            {"tick two receivers", [&] { click("200CH"), click("005CH"); }, {}, {"002FH", "005CH", "200CH"}},
            {"open selected", press(page.OpenSelectedButton()), {SpelledFrame("71 A4 68=10 69=01")},
             {"002FH", "005CH", "200CH"}},
            {"open all", press(page.OpenAllButton()), {SpelledFrame("71 A4 5-68=FF 69=01")}, watched},
            {"close all", press(page.CloseAllButton()), {SpelledFrame("71 A4 5-68=FF")}, {}},
            {"outlet 2 on", press(page.PowerButton(2)), {HexBytes("81 40 01 07 AC 02 E8")}, {}},
            {"outlet 2 off", press(page.PowerButton(2)), {HexBytes("81 40 01 07 AC 00 EA")}, {}},
            // clang-format on
        };
        for (const Step& step : steps) {
            link.Clear();
            step.act();
            std::vector<std::vector<uint8_t>> frames;
            for (const LinkCommand& command : link.Commands()) frames.push_back(command.data);
            QVERIFY2(frames == step.frames, step.name);
            QVERIFY2(ticked() == step.ticked, step.name);
        }

        // The scheduler's refresh (a broadcast going on air): the receivers switched on here and
        // the operator's other ticks stay; a zone with some of its receivers ticked is partly ticked.
        click("003CH");
        Click(page.OpenSelectedButton());
        click("005CH");
        station.ToggleOutlet(1), station.ToggleOutlet(3);  // not through the page
        PostWindowMessage(&page, WindowMessage::kZoneRefresh);
        PostWindowMessage(&page, WindowMessage::kPowerRefresh);
        QCoreApplication::processEvents();
        QCOMPARE(ticked(), (QStringList{"001FH(一楼)", "003CH", "002FH", "005CH"}));
        QCOMPARE(CCheckTree::State(Item(tree, "002FH")), CheckState::kPartial);
        click("005CH");  // the receiver page below sends to 003CH alone
        for (int outlet = 1; outlet <= 4; ++outlet)
            QCOMPARE(page.PowerButton(outlet)->isChecked(), outlet % 2 == 1);

        // The receiver page sends to what is ticked (003CH here), frequency 3 first, as BCD.
        CReceiverPage receiver(station, nullptr);
        receiver.SetFlagSource([&page]() -> const ChannelFlags& { return page.RefreshFlags(); });

        Type(receiver.Frequency2(), "98.5");
        Type(receiver.Frequency3(), "88");
        link.Clear();
        Click(receiver.SendFrequencyButton());
        QCOMPARE(link.Commands().at(0).data, SpelledFrame("73 A6 6=88 68=04 70=98 71=50"));
        QCOMPARE(receiver.StatusLine()->text(), QString("已发送 频率2 98.5 MHz、频率3 88.0 MHz → 接收机 3"));

        for (int channel = 1; channel <= 8; ++channel)
            CCheckTree::SetCheck(Item(tree, QString("%1CH").arg(channel, 3, 10, QChar('0'))), true);
        Type(receiver.Volume(), "15");
        link.Clear();
        Click(receiver.SendVolumeButton());
        QCOMPARE(link.Commands().at(0).data, SpelledFrame("71 A5 68=FF 69=0F"));
        QCOMPARE(receiver.StatusLine()->text(), QString("已发送 音量 15 → 接收机 1-8"));

        // What was typed reaches the check as typed: empty, unreadable or out-of-range text stops
        // the send with a message naming the field and its range.
        const QString badFrequency2 = "频率2无法识别或超出范围，请输入68.0-108.0之间的数值！",
                      badVolume = "音量无法识别或超出范围，请输入0-15之间的整数！";
        const std::tuple<CNumberEdit*, const char*, QAbstractButton*, QString> refusals[] = {
            {receiver.Frequency2(), "67.9", receiver.SendFrequencyButton(), badFrequency2},
            {receiver.Frequency2(), "108.1", receiver.SendFrequencyButton(), badFrequency2},
            {receiver.Frequency2(), "", receiver.SendFrequencyButton(), badFrequency2},
            {receiver.Frequency2(), "1e2", receiver.SendFrequencyButton(), badFrequency2},
            {receiver.Frequency3(), "9x", receiver.SendFrequencyButton(),
             "频率3无法识别或超出范围，请输入68.0-108.0之间的数值！"},
            {receiver.Volume(), "16", receiver.SendVolumeButton(), badVolume},
            {receiver.Volume(), "1.5", receiver.SendVolumeButton(), badVolume},
            {receiver.Volume(), "", receiver.SendVolumeButton(), badVolume}};
        for (auto [edit, text, send, message] : refusals) {
            link.Clear();
            m_boxes->shown.clear();
            Type(edit, text);
            Click(send);
            QCOMPARE(edit->LineEdit()->text(), QString(text));
            QCOMPARE(m_boxes->Texts(), QStringList{message});
            QVERIFY(link.Commands().empty());
            Type(edit, edit == receiver.Volume() ? "10" : "100");
        }

        // The spin buttons and arrow keys step within the range and leave a bad text alone.
        const std::tuple<const char*, QWidget*, QString> spins[] = {
            {"108", receiver.Frequency2()->UpButton(), "108.0"},
            {"68", receiver.Frequency2()->DownButton(), "68.0"},
            {"98.5", receiver.Frequency2()->UpButton(), "98.6"},
            {"120", receiver.Frequency2()->DownButton(), "108.0"},
            {"x", receiver.Frequency2()->UpButton(), "x"}};
        for (auto [typed, button, shown] : spins) {
            Type(receiver.Frequency2(), typed);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(receiver.Frequency2()->LineEdit()->text(), shown);
        }
        Type(receiver.Volume(), "14");
        QTest::keyClick(receiver.Volume()->LineEdit(), Qt::Key_Up);
        QTest::keyClick(receiver.Volume()->LineEdit(), Qt::Key_Up);
        QCOMPARE(receiver.Volume()->LineEdit()->text(), QString("15"));
    }

    void mainWindowCarriesZoneChangesBetweenItsPages() {
        m_bed.reset();  // the rig brings its own database and boxes
        CMainRig rig(LocalTime(2026, 3, 5, 14, 7, 9));
        CMainWindow& main = *rig.main;
        rig.LogIn();
        CZoneControlPage& zones = *main.ZoneControlPage();
        CZoneEditor& editor = *main.SettingsPage()->ZoneEditor();
        Click(main.Button(CMainWindow::kReceiver));
        CCheckTree::SetCheck(Item(zones.Tree(), "005CH"), true);

        // A zone added on the settings page (the editor marks its changes, as checked above) reaches
        // the zone control page when it is shown next, with the ticks kept.
        CZoneCatalog(AppConnection()).AddZone(3, "楼");
        editor.m_zonesChanged = true;
        Click(main.Button(CMainWindow::kPlay));
        QVERIFY(!editor.m_zonesChanged);
        QCOMPARE(zones.Tree()->topLevelItem(0)->text(0), QString("003FH(楼)"));
        QVERIFY(CCheckTree::IsChecked(Item(zones.Tree(), "005CH")));

        // A receiver moved on the zone control page is stored, keeps its tick and shows in the settings
        // page's tree; the receiver page sends to what is ticked now.
        zones.Tree()->expandAll();
        Drag(zones.Tree(), Item(zones.Tree(), "005CH"), Item(zones.Tree(), "003FH(楼)"));
        QCOMPARE(StoredArea(5), std::string("1"));
        QVERIFY(CCheckTree::IsChecked(Item(zones.Tree(), "005CH")));
        QCOMPARE(Shown(editor.Tree()).front(), std::string("003FH(楼): 005CH"));
        // With nothing ticked, both sends are refused and nothing goes out; a send to a ticked
        // receiver is on the history, with who sent it, and the page says what went where.
        CCheckTree::SetCheck(Item(zones.Tree(), "005CH"), false);
        Click(main.Button(CMainWindow::kReceiver));
        CReceiverPage& receiver = *main.ReceiverPage();
        Click(receiver.SendVolumeButton());
        Click(receiver.SendFrequencyButton());
        QCOMPARE(zones.Flags()[4], uint8_t(0));
        QCOMPARE(rig.boxes.Texts(), QStringList({"请先勾选接收机", "请先勾选接收机"}));
        QCOMPARE(receiver.StatusLine()->text(), QString());
        CCheckTree::SetCheck(Item(zones.Tree(), "005CH"), true);
        Click(receiver.SendVolumeButton());
        QCOMPARE(receiver.StatusLine()->text(), QString("已发送 音量 13 → 接收机 5"));
        const auto sentLines = [] {
            QStringList lines;
            for (const auto& r : CHistoryTable(AppConnection()).Records(0, INT_MAX))
                if (r.title.starts_with("修改接收机"))
                    lines << QString::fromStdString(r.title + " " + r.operatorName + " " + r.zones);
            return lines;
        };
        QTRY_COMPARE(sentLines(), QStringList{"修改接收机音量 admin 5"});
        CCheckTree::SetCheck(Item(zones.Tree(), "005CH"), false);
        rig.boxes.shown.clear();

        // On the settings page's own tree: over a channel, or back over its own zone, nothing is
        // highlighted and nothing moves; over another zone the channel moves there. The context
        // menu's move goes through the move-to-zone dialog and is stored the same way; a zone has none.
        Click(main.Button(CMainWindow::kSettings));
        QTreeWidget* tree = editor.Tree();
        tree->expandAll();
        Drag(tree, Item(tree, "006CH"), Item(tree, "007CH"));
        Drag(tree, Item(tree, "006CH"), Item(tree, "默认编码"));
        QCOMPARE(StoredArea(6), std::string("0"));
        Drag(tree, Item(tree, "006CH"), Item(tree, "003FH(楼)"));
        QCOMPARE(StoredArea(6), std::string("1"));
        tree->setCurrentItem(Item(tree, "007CH"));
        QAction* move = tree->actions().value(0);
        Answer<CDlgMoveToZone>([](CDlgMoveToZone& d) {
            QVERIFY(!d.Buttons()->button(QDialogButtonBox::Ok)->isEnabled());  // nothing chosen yet
            d.ZoneList()->setCurrentText("003FH(楼)");
        });
        move->trigger();
        QCOMPARE(StoredArea(7), std::string("1"));
        QCOMPARE(Shown(tree).front(), std::string("003FH(楼): 005CH 006CH 007CH"));
        tree->setCurrentItem(Item(tree, "003FH(楼)"));
        QVERIFY(!move->isEnabled());
    }
};

QTEST_MAIN(ZonePagesTest)
#include "ZonePagesTest.moc"
