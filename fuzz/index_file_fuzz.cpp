// Index file reader: any bytes must read without fault, every value read must
// be finite, and the text written from the table must read back to the same
// text. The first byte chooses the user's decimal separator ("," or ".") and
// how an editor may have saved the rest: as it is, behind a UTF-8
// byte-order mark, in UTF-16 (little- or big-endian, with its mark), with
// every line ended by a lone CR. Each of these must read as the rest does.
#include "engine/index_table.h"
#include "engine/number_text.h"
#include "platform/cp1252.h"
#include "platform/user_locale.h"
#include "support/test_locales.h"

#include <QByteArrayView>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

UserLocale LocaleWithSeparator(const char *separator) {
    UserLocale locale = TestLocale::French();
    locale.decimalSeparator = QString::fromLatin1(separator);
    return locale;
}

bool StartsWithByteOrderMark(QByteArrayView text) {
    return text.startsWith("\xEF\xBB\xBF") || text.startsWith("\xFF\xFE") ||
           text.startsWith("\xFE\xFF");
}

QByteArray Utf16(QByteArrayView singleBytes, bool littleEndian) {
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : FromCp1252(singleBytes)) {
        const auto low = static_cast<char>(c.unicode() & 0xFF);
        const auto high = static_cast<char>(c.unicode() >> 8);
        out.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return out;
}

// The text as an editor may have saved it, chosen by `variant`.
QByteArray Saved(QByteArrayView text, unsigned variant) {
    QByteArray bytes = text.toByteArray();
    if (variant & 8u)
        bytes.replace("\r\n", "\r").replace('\n', '\r');
    switch (variant & 6u) {
    case 2u:
        return "\xEF\xBB\xBF" + bytes;
    case 4u:
        return Utf16(bytes, true);
    case 6u:
        return Utf16(bytes, false);
    default:
        return bytes;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const UserLocale comma = LocaleWithSeparator(",");
    static const UserLocale dot = LocaleWithSeparator(".");
    if (size == 0)
        return 0;
    ReadDecimalSeparator((data[0] & 1) != 0 ? dot : comma);
    const QByteArrayView text(reinterpret_cast<const char *>(data + 1),
                              static_cast<qsizetype>(size - 1));

    IndexTable table;
    table.ReadIndexText(text);
    for (const float value : table.Values()) {
        if (!std::isfinite(value))
            std::abort();
    }
    if (!StartsWithByteOrderMark(text)) {
        IndexTable saved;
        saved.ReadIndexText(Saved(text, data[0]));
        if (std::memcmp(saved.Values().data(), table.Values().data(),
                        sizeof(float) * IndexTable::kSize) != 0)
            std::abort();
    }
    const QByteArray written = table.IndexFileText();
    IndexTable again;
    again.ReadIndexText(written);
    if (again.IndexFileText() != written)
        std::abort();
    return 0;
}
