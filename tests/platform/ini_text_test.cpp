#include "platform/ini_text.h"

#include "support/fakes.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

namespace {

const QString kSection = QStringLiteral("Général");

// What QSettings reads from `text` for `key` of the section.
QVariant ReadBack(const QByteArray &text, const QString &key) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Calvor.conf"));
    return WriteFileBytes(file, text)
               ? QSettings(file, QSettings::IniFormat).value(kSection + u'/' + key)
               : QVariant();
}

TEST(IniText, ValuesReadBackThroughQSettingsAsTheyWereSet) {
    const QString texts[] = {
        QStringLiteral("€"),
        QString(),
        QStringLiteral("F, CHF"),
        QStringLiteral("x;y=z"),
        QStringLiteral(" lead"),
        QStringLiteral("trail "),
        QStringLiteral("\"q\" \\"),
        QStringLiteral("@x"),
        QString(QChar(u'\0')) + QStringLiteral("1f"),
        QStringLiteral("\t\r\n\x01"
                       "f"),
        QStringLiteral("é\x7F\u0080😀"),
    };
    QByteArray text = SetIniValue({}, kSection, QStringLiteral("Cible"), IniIntValue(INT_MIN));
    for (int i = 0; i < int(std::size(texts)); ++i)
        text = SetIniValue(text, kSection, QString::number(i), IniTextValue(texts[i]));
    for (int i = 0; i < int(std::size(texts)); ++i)
        EXPECT_EQ(ReadBack(text, QString::number(i)), QVariant(texts[i])) << i;
    EXPECT_EQ(ReadBack(text, QStringLiteral("Cible")).toInt(), INT_MIN);
}

TEST(IniText, SettingAValueKeepsEveryOtherByte) {
    const struct {
        const char *name;
        QByteArray before, after;
    } cases[] = {
        {"another section", "[General]\nTop=3\n", "[General]\nTop=3\n\n[G%E9n%E9ral]\nCible=2\n"},
        {"added at the end of its section", "[G%E9n%E9ral]\nDate2000=40\n\n[Z]\na=1\n",
         "[G%E9n%E9ral]\nDate2000=40\nCible=2\n\n[Z]\na=1\n"},
        {"same value", "[G%E9n%E9ral]\nCible = 2\n", "[G%E9n%E9ral]\nCible = 2\n"},
        {"written by hand, CR LF", "[G\xC3\xA9n\xC3\xA9ral]\r\n; x\r\nCible=1\r\n",
         "[G\xC3\xA9n\xC3\xA9ral]\r\n; x\r\nCible=2\r\n"},
        {"continued value, then a second copy", "[G%E9n%E9ral]\nCible=1\\\n1\nCible=5\n",
         "[G%E9n%E9ral]\nCible=2\n"},
        {"no final line end", "[G%E9n%E9ral]\nCible=1", "[G%E9n%E9ral]\nCible=2\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray after = SetIniValue(c.before, kSection, QStringLiteral("Cible"), "2");
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(ReadBack(after, QStringLiteral("Cible")).toInt(), 2);
    }
}

} // namespace

// The program reads its settings itself, as plain texts: what QSettings reads
// as a text it reads the same; what QSettings would decode as another kind
// of value it refuses without decoding it.
TEST(IniText, ValuesReadAsPlainTextsOnlyAsQSettingsReadsThem) {
    const struct {
        QByteArray written;
        bool text; // QSettings reads a text (or a list of texts)
    } cases[] = {
        {"plain", true},
        {"  spaced out  ", true},
        {"\"  quoted  \"", true},
        {"\"x;y=z\" ; a comment", true},
        {"a , b,c", true},
        {"tab\\t", true},
        {"\\x41\\101\\x4g\\q", true},
        {"one\\\n two", true},
        {"@@at", true},
        {"@String(with\\0nul)", true},
        {"@other(x)", true},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", true},
        {"@ByteArray(\\x1\\x2)", false},
        {"a, @Invalid()", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.written.toStdString());
        const QByteArray text = "[G%E9n%E9ral]\nSymbole=" + c.written + "\nCible=1\n";
        const std::optional<QByteArray> found =
            FindIniValue(text, kSection, QStringLiteral("Symbole"));
        ASSERT_TRUE(found);
        const std::optional<QString> plain = IniPlainText(*found);
        ASSERT_EQ(plain.has_value(), c.text);
        if (c.text) {
            const QVariant qt = ReadBack(text, QStringLiteral("Symbole"));
            EXPECT_EQ(*plain, qt.typeId() == QMetaType::QStringList
                                  ? qt.toStringList().join(QStringLiteral(", "))
                                  : qt.toString());
        }
        EXPECT_EQ(FindIniValue(text, kSection, QStringLiteral("Cible")), QByteArray("1"));
    }
    EXPECT_FALSE(FindIniValue("[Autre]\nCible=1\n", kSection, QStringLiteral("Cible")));
    EXPECT_FALSE(FindIniValue("[G%E9n%E9ral]\n;Cible=1\n", kSection, QStringLiteral("Cible")));
}
