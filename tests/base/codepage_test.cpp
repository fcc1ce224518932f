// The narrow code page: GBK texts keep their bytes, nothing outside GBK is lost.
#include <gtest/gtest.h>

#include "base/codepage.h"
#include "base/trim.h"

namespace zenta {
namespace {

TEST(Codepage, GbkTextHasItsGbkBytes) {
    EXPECT_EQ(ToNarrow("啊　"), "\xB0\xA1\xA1\xA1");
    EXPECT_EQ(ToNarrow("【问题】"), "\xA1\xBE\xCE\xCA\xCC\xE2\xA1\xBF");
    EXPECT_EQ(FromNarrow("\xB0\xA1\xA1\xA1"), "啊　");
}

TEST(Codepage, TextOutsideGbkSurvivesTheRoundTrip) {
    const std::string cases[] = {"😀 emoji", "€ euro", "𠀀 ext-B", "ASCII only", ""};
    for (const std::string& utf8 : cases) EXPECT_EQ(FromNarrow(ToNarrow(utf8)), utf8) << utf8;
}

TEST(Codepage, InvalidBytesBecomeQuestionMarksInsteadOfFailing) {
    EXPECT_EQ(ToNarrow("a\xFF"
                       "b"),
              "a?b");
    EXPECT_EQ(FromNarrow("a\xFF"), "a?");
}

TEST(Codepage, AStartEndsBetweenCharacters) {
    struct Case {
        const char* narrow;
        size_t bytes;
        const char* start;
    } cases[] = {
        {"abcdef", 3, "abc"},
        {"ab", 3, "ab"},
        {"a\xB0\xA1\xB0\xA1", 2, "a\xB0\xA1"},
        {"a\xB0\xA1\xB0\xA1", 3, "a\xB0\xA1"},
        {"\xB0\xA1\xB0", 3, "\xB0\xA1\xB0"},
        {"", 5, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(NarrowStart(c.narrow, c.bytes), c.start) << c.narrow << " " << c.bytes;
}

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEndsOnly) {
    EXPECT_EQ(Trim(" \t\r\n a b \x01"), "a b");
    EXPECT_EQ(Trim("\xA1\xA1x\xA1\xA1"), "\xA1\xA1x\xA1\xA1");  // a full-width space is no blank
    EXPECT_EQ(Trim("   "), "");
}

}  // namespace
}  // namespace zenta
