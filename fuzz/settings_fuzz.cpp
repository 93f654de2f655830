// Settings reader: any file must read without fault, and every text the
// program writes must read back as itself, whatever the file around it.
#include "platform/ini_text.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString section = QStringLiteral("Général");
    const QString key = QStringLiteral("Symbole");
    if (const std::optional<QByteArray> written = FindIniValue(input, section, key))
        IniPlainText(*written);

    // The first half as a file, the second as a text written into it.
    const qsizetype half = input.size() / 2;
    const QString text = QString::fromUtf8(input.sliced(half));
    const QByteArray file = SetIniValue(input.first(half), section, key, IniTextValue(text));
    const std::optional<QByteArray> found = FindIniValue(file, section, key);
    if (!found || IniPlainText(*found) != text)
        std::abort();
    return 0;
}
