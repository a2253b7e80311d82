// The check tree: clicks on the boxes and the space key, propagated down and up, with and without
// a page's own click rule.
#include <QtTest>
#include <QtWidgets>

#include "widgets/CheckTree.h"

using namespace lumetra;

namespace {

// A{a1,a2,a3} B{b1{x,y},b2} C{}; states are read in this order as digits 1 to 3.
const char* const kOrder[] = {"A", "a1", "a2", "a3", "B", "b1", "x", "y", "b2", "C"};

struct Tree {
    Tree() {
        auto add = [&](QTreeWidgetItem* parent, const char* name) {
            auto* item = parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(&tree, {name});
            items[name] = item;
            return item;
        };
        QTreeWidgetItem* a = add(nullptr, "A");
        for (const char* name : {"a1", "a2", "a3"}) add(a, name);
        QTreeWidgetItem* b = add(nullptr, "B");
        QTreeWidgetItem* b1 = add(b, "b1");
        add(b1, "x");
        add(b1, "y");
        add(b, "b2");
        add(nullptr, "C");
        tree.expandAll();
        tree.resize(300, 400);
        tree.show();
    }
    QString States() const {
        QString states;
        for (const char* name : kOrder) states += QString::number(int(CCheckTree::State(items.at(name))));
        return states;
    }
    CCheckTree tree;
    std::map<QString, QTreeWidgetItem*> items;
};

// Receiver-like rule: unticking a ticked leaf unticks its parent alone and nothing else.
bool UntickParentOfLeaf(QTreeWidgetItem* item, CheckState before) {
    if (item->childCount() > 0 || before == CheckState::Unchecked) return false;
    CCheckTree::SetState(item, CheckState::Unchecked);
    if (item->parent()) CCheckTree::SetState(item->parent(), CheckState::Unchecked);
    return true;
}

}  // namespace

class CheckTreeTest : public QObject {
    Q_OBJECT
private slots:
    void Propagation_data() {
        QTest::addColumn<QString>("actions");  // "click a1; space x; label a2"
        QTest::addColumn<bool>("rule");
        QTest::addColumn<QString>("states");
        QTest::addColumn<QString>("befores");  // states the rule saw, when installed
        QTest::newRow("zone checks its channels") << "click A" << false << "3333111111"
                                                  << "";
        QTest::newRow("one channel leaves the zone partly checked") << "click a1" << false << "2311111111"
                                                                    << "";
        QTest::newRow("all channels one by one check the zone")
            << "click a1; click a2; click a3" << false << "3333111111"
            << "";
        QTest::newRow("unchecking one channel of a checked zone")
            << "click A; click a2" << false << "2313111111"
            << "";
        QTest::newRow("partly checked counts as checked and unchecks")
            << "click A; click a2; click A" << false << "1111111111"
            << "";
        QTest::newRow("deep item makes every item above partly checked") << "click x" << false << "1111223111"
                                                                         << "";
        QTest::newRow("siblings sharing a state pass it up one level only")
            << "click x; click y" << false << "1111233311"
            << "";
        QTest::newRow("last sibling checks every level")
            << "click x; click y; click b2" << false << "1111333331"
            << "";
        QTest::newRow("zone without channels") << "click C" << false << "1111111113"
                                               << "";
        QTest::newRow("space key acts like a click") << "space a2; space A; space a3" << false << "2113111111"
                                                     << "";
        QTest::newRow("click beside the box changes nothing") << "label a1; label A" << false << "1111111111"
                                                              << "";
        QTest::newRow("rule runs first and may take over") << "click A; click a2" << true << "1313111111"
                                                           << "13";
        QTest::newRow("rule declines and propagation follows") << "click a1; click A" << true << "1111111111"
                                                               << "12";
    }
    void Propagation() {
        QFETCH(QString, actions);
        QFETCH(bool, rule);
        QFETCH(QString, states);
        QFETCH(QString, befores);
        Tree t;
        QVERIFY(QTest::qWaitForWindowExposed(&t.tree));
        QString seen;
        if (rule)
            t.tree.SetClickRule([&](QTreeWidgetItem* item, CheckState before) {
                seen += QString::number(int(before));
                return UntickParentOfLeaf(item, before);
            });
        QSignalSpy toggled(&t.tree, &CCheckTree::ItemToggled);
        int toggles = 0;
        for (const QString& action : actions.split(';')) {
            const QStringList words = action.trimmed().split(' ');
            QTreeWidgetItem* item = t.items.at(words[1]);
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
        QCOMPARE(t.States(), states);
        QCOMPARE(seen, befores);
        QCOMPARE(toggled.count(), toggles);
    }

    // "全  开" and "全  关" reach every item, whatever was checked before.
    void SetAll() {
        Tree t;
        CCheckTree::SetCheck(t.items.at("x"), true);
        t.tree.SetAll(true);
        QCOMPARE(t.States(), QString("3333333333"));
        t.tree.SetAll(false);
        QCOMPARE(t.States(), QString("1111111111"));
    }
};

QTEST_MAIN(CheckTreeTest)
#include "CheckTreeTest.moc"
