// lumetra-initdb PATH: writes a new Lumetra database with the delivered tables and rows.
#include <cstdio>
#include <string>

#include "store/DeliveredDatabase.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH\n  writes a new Lumetra database (dbinfo.mdb) at PATH\n",
                     argv[0]);
        return 2;
    }
    std::string error;
    if (!lumetra::MakeDeliveredDatabase(argv[1], &error)) {
        std::fprintf(stderr, "lumetra-initdb: %s\n", error.c_str());
        return 1;
    }
    std::printf("lumetra-initdb: wrote %s (operator \"admin\", password \"admin\")\n", argv[1]);
    return 0;
}
