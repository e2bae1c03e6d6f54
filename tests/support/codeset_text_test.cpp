#include "support/codeset_text.h"

#include <gtest/gtest.h>

namespace lognex {
namespace {

TEST(DecodeCodeset, ReadsTheLocaleCharacterSets) {
    constexpr char16_t X = kUndecodable;
    struct Case {
        const char* codeset;
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"UTF-8", "M\xC3\xA4r \xE6\x9C\x88", u"M\u00E4r \u6708"},
        {"utf8", "\xF0\x9F\x98\x80!", {X, u'!'}},  // beyond the BMP
        {"UTF-8", "\xC0\x80|\x80|\xED\xA0\x80|\xE6\x9C", {X, X, u'|', X, u'|', X, X, X, u'|', X, X}},
        {"ANSI_X3.4-1968", "a\xE4", {u'a', X}},
        {"NO-SUCH-CHARSET", "ab\xE4", {u'a', u'b', X}},
#ifndef _WIN32  // character sets other than UTF-8 come from POSIX locales, through iconv
        {"ISO-8859-1", "M\xE4r", u"M\u00E4r"},
        {"EUC-JP", "%Y\xC7\xAF%m", u"%Y\u5E74%m"},
        {"EUC-JP", "a\xFF\xB7\xEE", {u'a', X, u'\u6708'}},  // a bad byte costs itself only
#endif
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeCodeset(c.bytes, c.codeset), c.expected) << c.codeset << " " << c.bytes;
}

}  // namespace
}  // namespace lognex
