// Index file reader: any bytes must read without fault, every value read must
// be finite, and the text written from the table must read back to the same
// text. The first byte chooses the user's decimal separator ("," or ".").
#include "engine/calc_types.h"
#include "engine/number_text.h"
#include "platform/user_locale.h"

#include <QByteArrayView>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

UserLocale LocaleWithSeparator(const char *separator) {
    UserLocale locale = UserLocale::French();
    locale.decimalSeparator = QString::fromLatin1(separator);
    return locale;
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
    const QByteArray written = table.IndexFileText();
    IndexTable again;
    again.ReadIndexText(written);
    if (again.IndexFileText() != written)
        std::abort();
    return 0;
}
