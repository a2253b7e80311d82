// The Lumetra program. Only this file links the real automatic shutdown, which can switch the
// machine off; everything else lives in lumetra_app, which the tests use.
#include "app/Application.h"
#include "schedule/AutoShutdownInstance.h"

int main(int argc, char** argv) {
    return lumetra::RunLumetra(argc, argv, lumetra::AutoShutdown());
}
