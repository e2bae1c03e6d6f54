#include "support/ansi_text.h"

#include <gtest/gtest.h>

namespace lognex {
namespace {

TEST(AnsiText, WidensThroughWindows1252AndBack) {
    const std::string ansi = "A\x80\x81\x92\x9F\xA0\xE9\xFF";
    const std::u16string wide = WidenAnsi(ansi);
    EXPECT_EQ(wide, (std::u16string{u'A', 0x20AC, 0x0081, 0x2019, 0x0178, 0x00A0, 0x00E9, 0x00FF}));
    EXPECT_EQ(NarrowToAnsi(wide), ansi);
}

TEST(AnsiText, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(NarrowToAnsi(WidenAnsi(all)), all);
}

TEST(AnsiText, UnmappableCharactersBecomeQuestionMarks) { EXPECT_EQ(NarrowToAnsi(u"a\u4E2Db\u0100"), "a?b?"); }

TEST(AnsiText, ExactNarrowingRefusesWhatTheCodePageLacks) {
    EXPECT_EQ(NarrowToAnsiExactly(u"M\u00E4r \u20AC\u2013"), "M\xE4r \x80\x96");
    EXPECT_EQ(NarrowToAnsiExactly(u""), "");
    for (std::u16string_view text : {u"pa\u017A", u"\u6708", u"a\u0081", u"\uFFFD"})
        EXPECT_FALSE(NarrowToAnsiExactly(text).has_value());
}

TEST(PathToAnsi, Utf8PathsBecomeWindows1252Text) {
    EXPECT_EQ(PathToAnsi("/tmp/plain.txt"), "/tmp/plain.txt");
    EXPECT_EQ(PathToAnsi("/tmp/Gr\xC3\xBC\xC3\x9F"
                         "e/\xE2\x82\xAC.txt"),
              "/tmp/Gr\xFC\xDF"
              "e/\x80.txt");
    EXPECT_EQ(PathToAnsi("a\xE4\xB8\xAD"
                         "b\xF0\x9F\x98\x80"
                         "c"),
              "a?b?c");
    // Bytes that are not UTF-8 (a Windows-1252 name, a cut sequence) stay.
    EXPECT_EQ(PathToAnsi("caf\xE9"), "caf\xE9");
    EXPECT_EQ(PathToAnsi("x\xC3"), "x\xC3");
    EXPECT_EQ(PathToAnsi("\xC0\xAF"), "\xC0\xAF");  // an overlong '/'
}

}  // namespace
}  // namespace lognex
