// The autostart entry written under the program's former name, moved at start, on a real
// XDG_CONFIG_HOME folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/Autostart.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path);
    if (!in) return "(none)";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Autostart, AFormerEntryIsMovedOnceAndACurrentOneKept) {
    const struct {
        const char* former;   // the former entry's text, null: absent
        const char* current;  // the current entry's text, null: absent
        const char* after;    // the current entry's text after a start
    } cases[] = {
        {"former", nullptr, "former"},
        {nullptr, "current", "current"},
        {"former", "current", "current"},
        {nullptr, nullptr, "(none)"},
    };
    for (const auto& c : cases) {
        test::TempDir config;
        setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        std::filesystem::create_directories(config.File("autostart"));
        const std::string former = config.File("autostart/Corvala.desktop");
        const std::string current = config.File("autostart/org.lumetra.Lumetra.desktop");
        if (c.former) std::ofstream(former) << c.former;
        if (c.current) std::ofstream(current) << c.current;
        for (int start = 1; start <= 2; ++start) {  // the second start finds nothing left to move
            MoveFormerAutostartEntry();
            const std::string where = std::string(c.former ? "former " : "") + (c.current ? "current " : "") +
                                      "start " + std::to_string(start);
            EXPECT_EQ(Contents(current), c.after) << where;
            EXPECT_FALSE(std::filesystem::exists(former)) << where;
            EXPECT_EQ(AutostartEntryExists(), c.former || c.current) << where;
        }
    }
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace lumetra
