// Stored passwords: salted hashes that only the right password matches, and rows kept as typed.
#include <gtest/gtest.h>

#include "store/PasswordHash.h"

namespace lumetra {
namespace {

TEST(PasswordHash, SaltedHashMatchesOnlyTheRightPassword) {
    const std::string first = HashPassword("密码1"), second = HashPassword("密码1");
    EXPECT_NE(first, second);  // salted: equal passwords do not show in the table
    EXPECT_TRUE(IsPasswordHash(first));
    EXPECT_EQ(first.find("密码1"), std::string::npos);
    const struct {
        std::string stored, typed;
        bool matches;
    } cases[] = {{first, "密码1", true},    {second, "密码1", true}, {first, "密码", false},
                 {first, "", false},        {first, first, false},   {"admin", "admin", true},
                 {"admin", "Admin", false}, {"", "", true}};
    for (const auto& c : cases)
        EXPECT_EQ(PasswordMatches(c.stored, c.typed), c.matches) << c.stored << " " << c.typed;
    EXPECT_FALSE(IsPasswordHash("admin"));
}

}  // namespace
}  // namespace lumetra
