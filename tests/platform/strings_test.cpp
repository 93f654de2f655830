#include "platform/cp1252.h"
#include "platform/message_format.h"
#include "platform/string_table.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1252, EveryByteRoundTrips) {
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = static_cast<char>(b);
    const QString text = FromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToCp1252(text), all);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(Cp1252ByteOf(Cp1252ToUnicode(static_cast<unsigned char>(b))), b) << b;
}

TEST(Cp1252, CharactersAndTheirBytes) {
    struct Case {
        char32_t ch;
        int byte; // -1: none
    };
    const Case cases[] = {
        {U'A', 0x41},           {U'\0', 0x00},     {U'\u00E9', 0xE9}, {U'\u00FF', 0xFF},
        {U'\u20AC', 0x80},      {U'\u0152', 0x8C}, {U'\u0153', 0x9C}, {U'\u0178', 0x9F},
        {U'\u2122', 0x99},      {U'\u0081', 0x81}, {U'\u009D', 0x9D}, {U'\u0080', -1},
        {U'\u0099', -1},        {U'\u0100', -1},   {U'\u01C4', -1},   {U'\uFFFD', -1},
        {char32_t(0xD83D), -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Cp1252ByteOf(c.ch), c.byte) << static_cast<unsigned>(c.ch);
    EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x8C), u'\u0152');
    EXPECT_EQ(Cp1252ToUnicode(0x8D), u'\u008D');
}

TEST(Cp1252, CharactersWithoutAByte) {
    struct Case {
        const char16_t *text;
        QByteArray plain;
    };
    const Case cases[] = {
        {u"\u20AC \u0152uvre", "\x80 \x8Cuvre"},
        {u"\u01C4", "?"},
        {u"\u8000", "?"},
        {u"\uFFFD", "?"},
        {u"a\U0001F600b", "a?b"}, // one character, two units
        {u"\u0080", "?"},
        {u"{\\}", "{\\}"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ToCp1252(QStringView(c.text)), c.plain) << c.plain.constData();
    // A lone surrogate has no byte either.
    const QChar lone[] = {QChar(u'x'), QChar(char16_t(0xD800)), QChar(u'y')};
    EXPECT_EQ(ToCp1252(QStringView(lone, 3)), QByteArray("x?y"));
}

TEST(FormatPrintf, ReplacesPlaceholdersInOrderWithoutReinterpretingArguments) {
    struct Case {
        const char16_t *format;
        std::vector<MessageArg> args;
        const char16_t *text;
    };
    const Case cases[] = {
        {u"%s-%d-%u-%%", {QStringLiteral("a%d"), 7LL, 8ULL}, u"a%d-7-8-%"},
        {u"%s", {QStringLiteral("100%")}, u"100%"},
        {u"%d et %d", {1970LL, 2106LL}, u"1970 et 2106"},
        {u"%d", {-40LL}, u"-40"},
        {u"%u", {-1LL}, u"4294967295"},
        {u"%d", {4294967295ULL}, u"-1"},
        {u"%d", {}, u"%d"},                       // no argument left
        {u"%d%s", {QStringLiteral("x")}, u"%dx"}, // a mismatch is written as it stands
        {u"%x %5d", {1LL}, u"%x %5d"},            // other conversions too
        {u"100%", {}, u"100%"},
        {u"%%d", {1LL}, u"%d"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FormatPrintf(QString::fromUtf16(c.format), c.args), QString::fromUtf16(c.text))
            << QString::fromUtf16(c.format).toStdString();
    }
}

TEST(FormatPrintf, BadDateMessage) {
    EXPECT_EQ(FormatPrintf(LoadString(IDS_BAD_DATE),
                           {QStringLiteral("de début de calcul"), 1970LL, 2106LL}),
              QStringLiteral("La date de début de calcul est incorrecte.\nVérifiez que son jour, "
                             "son mois et son année sont valides.\nAttention, son année doit être "
                             "comprise entre 1970 et 2106 inclus."));
    EXPECT_EQ(FormatPrintf(LoadString(IDS_ZERO_INDEX), {2002LL}),
              QStringLiteral("Arrêt du calcul: l'indice est nul pour l'année 2002."));
}

TEST(FormatFrameworkMessage, InsertsInOnePass) {
    struct Case {
        const char16_t *format;
        const char16_t *arg1;
        const char16_t *arg2;
        const char16_t *text;
    };
    const Case cases[] = {
        {u"Tapez un nombre entier compris entre %1 et %2.", u"1", u"31",
         u"Tapez un nombre entier compris entre 1 et 31."},
        {u"%1 %2", u"%2", u"b", u"%2 b"},
        {u"%2%1", u"a", u"b", u"ba"},
        {u"%3 %", u"a", u"b", u"%3 %"},
        {u"%1", u"", u"", u""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FormatFrameworkMessage(QString::fromUtf16(c.format), QString::fromUtf16(c.arg1),
                                         QString::fromUtf16(c.arg2)),
                  QString::fromUtf16(c.text))
            << QString::fromUtf16(c.format).toStdString();
    }
    EXPECT_EQ(FormatFrameworkMessage(LoadString(IDS_END_OF_FILE), LoadString(IDS_UNNAMED_FILE)),
              QStringLiteral("Tentative d'accès à un fichier non nommé après sa fin."));
}

} // namespace
