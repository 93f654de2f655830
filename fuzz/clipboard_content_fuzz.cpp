// The keeper's standard input: any bytes must be read without fault or
// recursion, and a content read must cross again whole.
#include "platform_widgets/clipboard_keeper.h"

#include <QMimeData>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::unique_ptr<QMimeData> content(DeserializeMimeData(input));
    if (content == nullptr)
        return 0;
    const std::unique_ptr<QMimeData> again(DeserializeMimeData(SerializeMimeData(*content)));
    if (again == nullptr || again->formats() != content->formats())
        std::abort();
    for (const QString &format : content->formats()) {
        if (again->data(format) != content->data(format))
            std::abort();
    }
    return 0;
}
