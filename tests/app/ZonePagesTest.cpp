// The zone dialogs, the zone editor, the zone control page and the receiver page on a real
// database file, with the real frame builders recording into the link.
#include "AppTestKit.h"
#include "pages/ZoneDialogs.h"
#include "pages/ZoneEditor.h"
#include "pages/ZoneTree.h"
#include "tests/link/RecordingLink.h"
#include "widgets/TreeItemDrag.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

using Lines = std::vector<std::string>;

// "AreaID AreaName" of every stored zone.
Lines StoredZones() {
    Lines zones;
    const std::vector<std::string> ids = Column("select * from AeraOfTarget", "AreaID");
    const std::vector<std::string> names = Column("select * from AeraOfTarget", "AreaName");
    for (size_t i = 0; i < ids.size(); ++i) zones.push_back(ids[i] + " " + names[i]);
    return zones;
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

QTreeWidgetItem* Item(const QTreeWidget* tree, const QString& label) {
    const QList<QTreeWidgetItem*> found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

// Answers the next modal dialog: `fill` sees it, then it is accepted (or cancelled).
template <typename Dialog>
void Answer(std::function<void(Dialog&)> fill, bool accept = true) {
    QTimer::singleShot(0, [fill, accept] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "the expected dialog did not open");
        fill(*dialog);
        accept ? dialog->accept() : dialog->reject();
    });
}

void Mouse(QWidget* viewport, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

// Drags `from` over `over` (checking the highlight and cursor there) and drops it on `to`.
void Drag(QTreeWidget* tree, QTreeWidgetItem* from, QTreeWidgetItem* to) {
    QWidget* viewport = tree->viewport();
    const auto* drag = tree->findChild<CTreeItemDrag*>();
    Mouse(viewport, QEvent::MouseButtonPress, tree->visualItemRect(from).center());
    const QPoint target = tree->visualItemRect(to).center();
    Mouse(viewport, QEvent::MouseMove, target);
    const bool droppable = CanDropChannel(from, to) && from != to;
    QCOMPARE(drag->Highlighted(), droppable ? to : nullptr);
    QCOMPARE(viewport->cursor().shape(), droppable ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    QCOMPARE(drag->Image()->pos(), viewport->mapToGlobal(target) + CTreeItemDrag::kImageOffset);
    Mouse(viewport, QEvent::MouseButtonRelease, target);
    QVERIFY(!drag->IsDragging());
}

}  // namespace

class ZonePagesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CAppDatabase> m_db;
    std::unique_ptr<CScriptedMessageBoxes> m_boxes;

private slots:
    void init() {
        m_db = std::make_unique<CAppDatabase>();
        m_boxes = std::make_unique<CScriptedMessageBoxes>();
    }
    void cleanup() {
        m_boxes.reset();
        m_db.reset();
    }

    void dialogsShowTheirFieldsAndReturnTheChoice() {
        QWidget owner;
        owner.setGeometry(100, 100, 800, 600);
        owner.show();

        CDlgZone add(&owner);
        add.show();
        QCOMPARE(add.windowTitle(), QString("增加分区"));
        QCOMPARE(add.size(), QSize(270, 200));
        QVERIFY((add.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 2);
        QCOMPARE(add.NameEdit()->text(), QString());
        QCOMPARE(add.NumberList()->count(), 48);
        QCOMPARE(add.NumberList()->itemText(47), QString("48"));
        QCOMPARE(add.NumberList()->currentText(), QString("1"));
        QCOMPARE(add.Number(), 1);

        CDlgZone edit("教学楼", 12, &owner);
        QCOMPARE(edit.windowTitle(), QString("编辑分区"));
        QCOMPARE(edit.NumberList()->currentText(), QString("12"));
        QCOMPARE(edit.Name(), QString("教学楼"));
        edit.NumberList()->setCurrentIndex(4);
        QCOMPARE(edit.Number(), 5);

        CDlgRemark remark("012CH", "it's 大厅", &owner);
        QCOMPARE(remark.windowTitle(), QString("添加备注"));
        QVERIFY(!remark.UnitCodeEdit()->isEnabled());
        QCOMPARE(remark.UnitCodeEdit()->text(), QString("012CH"));
        QCOMPARE(remark.Remark(), QString("it's 大厅"));

        CDlgMoveToZone move({"001FH", "002FH(x)"}, &owner);
        QCOMPARE(move.windowTitle(), QString("移动到分区"));
        QStringList entries;
        for (int i = 0; i < move.ZoneList()->count(); ++i) entries << move.ZoneList()->itemText(i);
        QCOMPARE(entries, (QStringList{"默认编码", "001FH", "002FH(x)"}));
        QPushButton* ok = move.Buttons()->button(QDialogButtonBox::Ok);
        QCOMPARE(ok->text(), QString("确定"));
        QVERIFY(!ok->isEnabled());  // nothing chosen yet
        move.ZoneList()->setCurrentIndex(2);
        QVERIFY(ok->isEnabled());
        QCOMPARE(move.ZoneLabel(), std::string("002FH(x)"));
    }

    void editorChangesZonesAndRefusesWhatItMust() {
        CZoneEditor editor(AppConnection(), nullptr);
        QTreeWidget* tree = editor.Tree();
        QCOMPARE(editor.title(), QString("目标区域编辑"));
        QCOMPARE(Shown(tree), (Lines{"默认编码: 001CH 002CH 003CH"}));

        // One press of a button with `select` selected; `answer` fills the dialog it must open.
        struct Step {
            const char* select;  // nullptr: nothing selected
            QPushButton* (CZoneEditor::*button)() const;
            std::function<void()> answer;  // empty: no dialog may open
            QString message;               // the box it must show, if any
            Lines zones;                   // the stored zones afterwards
            bool changed;                  // whether the zones count as changed
        };
        const auto zoneDialog = [](const char* name, int number, const char* caption) {
            return [=] {
                Answer<CDlgZone>([=](CDlgZone& d) {
                    QCOMPARE(d.windowTitle(), QString(caption));
                    d.NameEdit()->setText(name);
                    d.NumberList()->setCurrentIndex(number - 1);
                });
            };
        };
        const QString duplicate = "分区名有重复，请重新选择！";
        const Step steps[] = {
            {nullptr,
             &CZoneEditor::AddButton,
             zoneDialog("教学楼", 3, "增加分区"),
             "",
             {"1 003FH(教学楼)"},
             true},
            {nullptr,
             &CZoneEditor::AddButton,
             zoneDialog("", 1, "增加分区"),
             "",
             {"1 003FH(教学楼)", "2 001FH"},
             true},
            {nullptr,
             &CZoneEditor::AddButton,
             zoneDialog("x", 3, "增加分区"),
             duplicate,
             {"1 003FH(教学楼)", "2 001FH"},
             false},
            {nullptr,
             &CZoneEditor::EditButton,
             {},
             "请选择需要编辑的分区！",
             {"1 003FH(教学楼)", "2 001FH"},
             false},
            {nullptr,
             &CZoneEditor::DeleteButton,
             {},
             "请选择需要删除的分区！",
             {"1 003FH(教学楼)", "2 001FH"},
             false},
            {nullptr,
             &CZoneEditor::RemarkButton,
             {},
             "请选择需要编辑的通道！",
             {"1 003FH(教学楼)", "2 001FH"},
             false},
            {"默认编码",
             &CZoneEditor::EditButton,
             {},
             "默认编码不可以编辑！",
             {"1 003FH(教学楼)", "2 001FH"},
             false},
            {"默认编码",
             &CZoneEditor::DeleteButton,
             {},
             "默认编码不可以删除！",
             {"1 003FH(教学楼)", "2 001FH"},
             false},
            {"005CH", &CZoneEditor::EditButton, {}, "", {"1 003FH(教学楼)", "2 001FH"}, false},
            {"005CH", &CZoneEditor::DeleteButton, {}, "", {"1 003FH(教学楼)", "2 001FH"}, false},
            {"001FH", &CZoneEditor::RemarkButton, {}, "", {"1 003FH(教学楼)", "2 001FH"}, false},
            // Keeping the number renames the zone; a number another zone has is refused.
            {"003FH(教学楼)",
             &CZoneEditor::EditButton,
             zoneDialog("it's", 3, "编辑分区"),
             "",
             {"1 003FH(it's)", "2 001FH"},
             true},
            {"003FH(it's)",
             &CZoneEditor::EditButton,
             zoneDialog("y", 1, "编辑分区"),
             duplicate,
             {"1 003FH(it's)", "2 001FH"},
             false},
            {"003FH(it's)",
             &CZoneEditor::EditButton,
             zoneDialog("y", 9, "编辑分区"),
             "",
             {"1 009FH(y)", "2 001FH"},
             true},
            {"001FH", &CZoneEditor::DeleteButton, {}, "", {"1 009FH(y)"}, true},
        };
        for (const Step& step : steps) {
            const QString name =
                QString("%1 on %2")
                    .arg((editor.*step.button)()->text(), step.select ? step.select : "nothing");
            m_boxes->shown.clear();
            editor.m_bZonesChanged = false;
            tree->setCurrentItem(step.select ? Item(tree, step.select) : nullptr);
            if (step.answer) step.answer();
            Click((editor.*step.button)());
            QVERIFY2(m_boxes->Texts() == (step.message.isEmpty() ? QStringList() : QStringList{step.message}),
                     qPrintable(name));
            QVERIFY2(StoredZones() == step.zones, qPrintable(name));
            QVERIFY2(editor.m_bZonesChanged == step.changed, qPrintable(name));
        }
        QCOMPARE(Shown(tree), (Lines{"009FH(y):", "默认编码: 001CH 002CH 003CH"}));

        // The remark dialog shows the code and the name; an empty remark clears the name.
        tree->setCurrentItem(Item(tree, "012CH"));
        Answer<CDlgRemark>([](CDlgRemark& d) {
            QCOMPARE(d.UnitCodeEdit()->text(), QString("012CH"));
            d.RemarkEdit()->setText("it's 大厅");
        });
        Click(editor.RemarkButton());
        QCOMPARE(tree->currentItem()->text(0), QString("012CH(it's 大厅)"));
        QCOMPARE(Column("select * from Room where RoomID=12", "SpeakerName"), Lines{"it's 大厅"});
        Answer<CDlgRemark>([](CDlgRemark& d) {
            QCOMPARE(d.RemarkEdit()->text(), QString("it's 大厅"));
            d.RemarkEdit()->clear();
        });
        Click(editor.RemarkButton());
        QCOMPARE(Column("select * from Room where RoomID=12", "SpeakerName"), Lines{""});
        QCOMPARE(tree->currentItem()->text(0), QString("012CH"));
        QVERIFY(m_boxes->shown.empty());
    }

    void editorMovesChannelsByDragAndByMenu() {
        AppConnection().ExecuteSql(
            "insert into AeraOfTarget (AreaID,AreaName,AreaAddr,Remark) values ('1','002FH(A)','','')");
        AppConnection().ExecuteSql(
            "insert into AeraOfTarget (AreaID,AreaName,AreaAddr,Remark) values ('2','001FH','','')");
        CZoneEditor editor(AppConnection(), nullptr);
        editor.resize(400, 600);
        editor.show();
        QTreeWidget* tree = editor.Tree();
        QCOMPARE(Shown(tree), (Lines{"001FH:", "002FH(A):", "默认编码: 001CH 002CH 003CH"}));
        tree->topLevelItem(2)->setExpanded(true);

        // Over a channel, or back over its own zone, nothing is highlighted and nothing moves.
        Drag(tree, Item(tree, "005CH"), Item(tree, "006CH"));
        Drag(tree, Item(tree, "005CH"), Item(tree, "默认编码"));
        QCOMPARE(StoredArea(5), std::string("0"));
        QVERIFY(editor.m_bZonesChanged);  // a release always counts as a change

        Drag(tree, Item(tree, "005CH"), Item(tree, "002FH(A)"));
        QCOMPARE(StoredArea(5), std::string("1"));
        QCOMPARE(Shown(tree), (Lines{"001FH:", "002FH(A): 005CH", "默认编码: 001CH 002CH 003CH"}));
        QVERIFY(Item(tree, "002FH(A)")->isExpanded() && Item(tree, "默认编码")->isExpanded());
        QCOMPARE(tree->currentItem()->text(0), QString("005CH"));

        Drag(tree, Item(tree, "005CH"), Item(tree, "默认编码"));
        QCOMPARE(StoredArea(5), std::string("0"));

        // The context menu's move goes through the move-to-zone dialog and is stored the same way.
        tree->setCurrentItem(Item(tree, "007CH"));
        QAction* move = tree->actions().value(0);
        QVERIFY(move && move->isEnabled());
        Answer<CDlgMoveToZone>([](CDlgMoveToZone& d) { d.ZoneList()->setCurrentText("001FH"); });
        move->trigger();
        QCOMPARE(StoredArea(7), std::string("2"));
        QCOMPARE(Shown(tree).front(), std::string("001FH: 007CH"));
        tree->setCurrentItem(Item(tree, "001FH"));
        QVERIFY(!move->isEnabled());
    }
};

QTEST_MAIN(ZonePagesTest)
#include "ZonePagesTest.moc"
