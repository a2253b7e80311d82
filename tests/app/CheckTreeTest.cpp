// The check tree: clicks on the boxes and the space key, propagated down and up. (A page's own click
// rule, taking over or declining: ZonePages.ZoneControlSwitchesReceiversAndOutlets.)
#include <QtTest>
#include <QtWidgets>

#include "widgets/CheckTree.h"

using namespace lumetra;

class CheckTreeTest : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(CheckTreeTest)
#include "CheckTreeTest.moc"
