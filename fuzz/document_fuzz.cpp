// Document reader: any bytes must read without fault, and the document must
// hold exactly what the reading rules allow: unchanged when refused, the 27
// bytes when opened, the present bytes of the dates (and nothing of the rent)
// when cut short.
#include "document/calc_document_file.h"

#include <QByteArrayView>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr qsizetype kRentOffset = 19;

CalcDocument Sentinel() {
    CalcDocument doc;
    doc.signature = PackedDate(0xA1A2A3A4);
    doc.firstRevision = PackedDate(0xB1B2B3B4);
    doc.lastRevision = PackedDate(0xC1C2C3C4);
    doc.referenceDate = PackedDate(0xD1D2D3D4);
    doc.rent = std::bit_cast<double>(std::uint64_t{0xE1E2E3E4E5E6E7E8});
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QByteArray before = DocumentBytes(Sentinel());
    CalcDocument doc = Sentinel();
    const OpenOutcome outcome = ReadDocumentBytes(input, doc);
    const QByteArray after = DocumentBytes(doc);
    const bool magic = input.size() >= 3 && input.first(3) == QByteArrayView("CLV");

    switch (outcome) {
    case OpenOutcome::NotADocument:
        if (magic || after != before)
            std::abort();
        break;
    case OpenOutcome::Opened:
        if (!magic || input.size() < kDocumentSize || after != input.first(kDocumentSize))
            std::abort();
        break;
    case OpenOutcome::CutShort:
        if (!magic || input.size() >= kDocumentSize)
            std::abort();
        for (qsizetype k = 0; k < kDocumentSize; ++k) {
            const bool fromInput = k < input.size() && k < kRentOffset;
            if (after[k] != (fromInput ? input[k] : before[k]))
                std::abort();
        }
        break;
    case OpenOutcome::CannotOpen:
        std::abort();
    }
    return 0;
}
