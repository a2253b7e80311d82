// The check tree: clicks on the boxes and the space key, propagated down and up, with and without
// a page's own click rule.
#include <QtTest>
#include <QtWidgets>

#include "widgets/CheckTree.h"

using namespace lumetra;

namespace {

// A{a1,a2,a3} B{b1{x,y},b2} C{}; states are read in this order as digits 1 to 3.
struct Tree {
    Tree() {
        auto* a = new QTreeWidgetItem(&tree, {"A"});
        for (const char* name : {"a1", "a2", "a3"}) new QTreeWidgetItem(a, {name});
        auto* b = new QTreeWidgetItem(&tree, {"B"});
        auto* b1 = new QTreeWidgetItem(b, {"b1"});
        new QTreeWidgetItem(b1, {"x"});
        new QTreeWidgetItem(b1, {"y"});
        new QTreeWidgetItem(b, {"b2"});
        new QTreeWidgetItem(&tree, {"C"});
        tree.expandAll();
        tree.resize(300, 400);
        tree.show();
    }
    QString States() {
        QString states;
        for (QTreeWidgetItemIterator it(&tree); *it; ++it)
            states += QString::number(int(CCheckTree::State(*it)));
        return states;
    }
    QTreeWidgetItem* Item(const QString& name) const {
        return tree.findItems(name, Qt::MatchExactly | Qt::MatchRecursive).front();
    }
    CCheckTree tree;
};

// Actions: "click a1" on the box, "label a1" beside it, "space a1" on the current item, "all on"
// or "all off" for every item. States: the digits of kOrder after the actions.
struct Case {
    const char *name, *actions;
    bool rule;                     // the receiver-like click rule installed
    const char *states, *befores;  // befores: the states the rule saw
};
const Case kCases[] = {
    {"one channel leaves the zone partly checked", "click a1", false, "2311111111", ""},
    {"all channels one by one check the zone", "click a1; click a2; click a3", false, "3333111111", ""},
    {"unchecking one channel of a checked zone", "click A; click a2", false, "2313111111", ""},
    {"partly checked counts as checked and unchecks", "click A; click a2; click A", false, "1111111111", ""},
    {"deep item makes every item above partly checked", "click x", false, "1111223111", ""},
    {"siblings sharing a state pass it up one level only", "click x; click y", false, "1111233311", ""},
    {"last sibling checks every level", "click x; click y; click b2", false, "1111333331", ""},
    {"zone without channels", "click C", false, "1111111113", ""},
    {"space key acts like a click", "space a2; space A; space a3", false, "2113111111", ""},
    {"click beside the box changes nothing", "label a1; label A", false, "1111111111", ""},
    {"every item on", "click x; all on; click a1", false, "2133333333", ""},
    {"rule runs first and may take over", "click A; click a2", true, "1313111111", "13"},
    {"rule declines and propagation follows", "click a1; click A", true, "1111111111", "12"},
};

}  // namespace

class CheckTreeTest : public QObject {
    Q_OBJECT
private slots:
    void clicksAndSpacePropagateDownAndUp_data() {
        QTest::addColumn<int>("index");
        for (const Case& c : kCases) QTest::newRow(c.name) << int(&c - kCases);
    }
    void clicksAndSpacePropagateDownAndUp() {
        QFETCH(int, index);
        const Case& c = kCases[index];
        Tree t;
        QVERIFY(QTest::qWaitForWindowExposed(&t.tree));
        QString seen;
        if (c.rule)
            t.tree.SetClickRule([&](QTreeWidgetItem* item, CheckState before) {
                seen += QString::number(int(before));
                // Receiver-like: unticking a ticked leaf unticks its parent alone and nothing else.
                if (item->childCount() > 0 || before == CheckState::kUnchecked) return false;
                CCheckTree::SetState(item, CheckState::kUnchecked);
                if (item->parent()) CCheckTree::SetState(item->parent(), CheckState::kUnchecked);
                return true;
            });
        QSignalSpy toggled(&t.tree, &CCheckTree::ItemToggled);
        int toggles = 0;
        for (const QString& action : QString(c.actions).split(';')) {
            const QStringList words = action.trimmed().split(' ');
            if (words[0] == "all") {
                t.tree.SetAll(words[1] == "on");
                continue;
            }
            QTreeWidgetItem* item = t.Item(words[1]);
            if (words[0] == "space") {
                t.tree.setCurrentItem(item);
                QTest::keyClick(&t.tree, Qt::Key_Space);
            } else {
                const QRect box = t.tree.StateImageRect(item);
                const QPoint at = words[0] == "click" ? box.center() : box.center() + QPoint(40, 0);
                QTest::mouseClick(t.tree.viewport(), Qt::LeftButton, {}, at);
            }
            toggles += words[0] != "label";
        }
        QCOMPARE(t.States(), QString(c.states));
        QCOMPARE(seen, QString(c.befores));
        QCOMPARE(toggled.count(), toggles);
    }
};

QTEST_MAIN(CheckTreeTest)
#include "CheckTreeTest.moc"
