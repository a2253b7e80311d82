#include <QtTest>
class EndToEndTest : public QObject { Q_OBJECT };
QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
