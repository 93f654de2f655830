#include "engine/rtf_text.h"

#include "platform/cp1252.h"

#include <gtest/gtest.h>

namespace {

// Every Windows-1252 byte, as the character it stands for, goes in raw but
// for the three Rich Text specials, escaped with a backslash, and the
// control characters, written as the escape of their byte.
TEST(RtfText, EveryByteGoesInRawOrEscaped) {
    for (int b = 0; b < 256; ++b) {
        const QChar c(Cp1252ToUnicode(static_cast<unsigned char>(b)));
        QByteArray expected(1, static_cast<char>(b));
        if (b == '\\' || b == '{' || b == '}')
            expected.prepend('\\');
        else if (b < 0x20 || b == 0x7F)
            expected = "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
        EXPECT_EQ(RtfPlainText(QStringView(&c, 1)), expected) << b;
    }
}

TEST(RtfText, CharactersWithoutAByteBecomeUnicodeEscapes) {
    struct Case {
        const char16_t *text;
        QByteArray rtf;
    };
    const Case cases[] = {
        {u"\u20AC \u0152uvre", "\x80 \x8Cuvre"},
        {u"\u01C4", "\\u452?"},
        {u"\u8000", "\\u-32768?"},
        {u"\uFFFD", "\\u-3?"},
        {u"a\U0001F600b", "a\\u-10179?\\u-8704?b"}, // one character, two units
        {u"\u0080", "\\u128?"},
        {u"{\\}", "\\{\\\\\\}"},
        {u"1\t2\n", "1\\'092\\'0a"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(RtfPlainText(QStringView(c.text)), c.rtf) << c.rtf.constData();
        // Appending gives the same bytes after what was there.
        QByteArray out("x");
        AppendRtfPlainText(out, QStringView(c.text));
        EXPECT_EQ(out, "x" + c.rtf);
    }
    // A lone surrogate has no byte either.
    const QChar lone[] = {QChar(u'x'), QChar(char16_t(0xD800)), QChar(u'y')};
    EXPECT_EQ(RtfPlainText(QStringView(lone, 3)), QByteArray("x\\u-10240?y"));
}

} // namespace
