#include "export/path_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(NarrowPath, NullStaysNull) {
    EXPECT_FALSE(NarrowPath(nullptr).has_value());
}

TEST(NarrowPath, ConvertsToUtf8) {
    struct Case {
        std::u16string wide;
        std::string narrow;
    };
    const Case cases[] = {
        {u"", ""},
        {u"/tmp/in.bmp", "/tmp/in.bmp"},
        {u"caf\u00e9.bmp", "caf\xc3\xa9.bmp"},
        // Above U+07FF: three bytes for one UTF-16 unit.
        {u"\u56fe\u7247.bmp", "\xe5\x9b\xbe\xe7\x89\x87.bmp"},
        {u"\u30d5\u30a1\u30a4\u30eb", "\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab"},
        // Outside the Basic Multilingual Plane: a surrogate pair becomes four bytes.
        {u"\U0001F600", "\xf0\x9f\x98\x80"},
        {u"\uffff", "\xef\xbf\xbf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NarrowPath(c.wide.c_str()), c.narrow);
}

TEST(NarrowPath, UnconvertiblePathsComeOutEmpty) {
    const std::u16string cases[] = {
        std::u16string(u"a") + char16_t{0xD800} + u"b",  // high surrogate without partner
        std::u16string(u"a") + char16_t{0xDC00},         // lone low surrogate
        std::u16string(1, char16_t{0xD83D}),             // high surrogate at the end
        std::u16string(MaxWidePathLength + 1, u'a'),     // longer than the platform allows
        std::u16string(200000, u'x'),
    };
    for (const std::u16string& wide : cases) {
        const auto narrow = NarrowPath(wide.c_str());
        ASSERT_TRUE(narrow.has_value());
        EXPECT_TRUE(narrow->empty()) << wide.size();
    }
}

TEST(NarrowPath, LongestAcceptedPathConverts) {
    const std::u16string wide(MaxWidePathLength, u'\u4e2d');
    const auto narrow = NarrowPath(wide.c_str());
    ASSERT_TRUE(narrow.has_value());
    EXPECT_EQ(narrow->size(), MaxWidePathLength * 3);
}

}  // namespace
}  // namespace vantrel
