#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

struct CompareCase {
    const char* a;
    const char* b;
    int sign;
};

class CompareIgnoringCase : public ::testing::TestWithParam<CompareCase> {};

int Sign(int v) { return (v > 0) - (v < 0); }

TEST_P(CompareIgnoringCase, OrdersAsciiWithoutRegardToCase) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(Sign(lstrcmpiA(c.a, c.b)), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(Sign(lstrcmpiA(c.b, c.a)), -c.sign) << c.b << " vs " << c.a;
}

INSTANTIATE_TEST_SUITE_P(Table, CompareIgnoringCase,
                         ::testing::Values(CompareCase{"abc", "ABC", 0}, CompareCase{"Data", "dATA", 0},
                                           CompareCase{"abc", "abd", -1}, CompareCase{"B", "a", 1},
                                           CompareCase{"", "a", -1}, CompareCase{"abc", "ab", 1},
                                           CompareCase{"WAVE", "wave", 0}, CompareCase{"file1", "FILE2", -1},
                                           CompareCase{"", "", 0}));

TEST(Strings, LengthCopyAndConcatenate) {
    EXPECT_EQ(lstrlenA("hello"), 5);
    EXPECT_EQ(lstrlenA(""), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);
    char buffer[32] = "x";
    EXPECT_EQ(lstrcpyA(buffer, "quor"), buffer);
    EXPECT_STREQ(buffer, "quor");
    EXPECT_EQ(lstrcatA(buffer, ".dll"), buffer);
    EXPECT_STREQ(buffer, "quor.dll");
    EXPECT_EQ(lstrcatA(buffer, ""), buffer);
    EXPECT_STREQ(buffer, "quor.dll");
}

}  // namespace
