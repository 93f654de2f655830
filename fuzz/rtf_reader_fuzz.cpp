// Rich Text reader: any bytes must read without fault, in bounded output, into
// a document that can be laid out; reading the same bytes twice into one
// document gives the same text.
#include "platform_widgets/rtf_reader.h"

#include <QAbstractTextDocumentLayout>
#include <QByteArrayView>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QGuiApplication *application = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // Layout needs fonts, hence an application; the offscreen platform needs
    // no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char arg0[] = "rtf_reader_fuzz";
    static char *argv[] = {arg0, nullptr};
    application = new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    const bool complete = ReadRtfInto(doc, input);
    const QString text = doc.toRawText();

    // Every character comes from at least one input byte, except the
    // markers of table cells, of which one row of the widest table may be
    // written by a few bytes.
    const qsizetype bound = input.size() * (kRtfMaxTableColumns + 2) + 2;
    if (doc.characterCount() > bound || doc.blockCount() > bound)
        std::abort();
    if (complete && !input.contains(QByteArrayView("{\\rtf")))
        std::abort();

    // Laying out is what the view does with the result.
    doc.setTextWidth(300);
    (void)doc.documentLayout()->documentSize();

    // The reader replaces the content: a second read gives the same text.
    if (ReadRtfInto(doc, input) != complete || doc.toRawText() != text)
        std::abort();
    return 0;
}
