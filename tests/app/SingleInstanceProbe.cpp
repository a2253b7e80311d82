// The single-instance rule alone, for the race test: of several starts with the same name, the
// first prints "first" and runs until it is ended; every other prints "later" and ends.
#include <QCoreApplication>
#include <cstdio>

#include "app/SingleInstance.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    lumetra::CSingleInstance instance(QString::fromLocal8Bit(argv[1]));
    const bool first = instance.FindRunningInstance();
    std::printf("%s\n", first ? "first" : "later");
    std::fflush(stdout);
    return first ? app.exec() : 0;
}
