#include <QtTest>
class ShellTest : public QObject { Q_OBJECT };
QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
