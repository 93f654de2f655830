#include "document/calc_document_file.h"

#include "platform/file_io.h"
#include "platform/services.h"

#include <array>
#include <bit>
#include <cstdint>

namespace {

constexpr char kMagic[] = "CLV";
constexpr qsizetype kMagicSize = 3;
constexpr qsizetype kDateWordSize = 4;
constexpr qsizetype kRentOffset = kMagicSize + 4 * kDateWordSize;

void AppendLittleEndian(QByteArray &out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

// Up to `count` bytes at `offset` as the low-order bytes of `value`, whose
// other bytes stay as they were.
std::uint64_t MergeLittleEndian(std::uint64_t value, QByteArrayView bytes, qsizetype offset,
                                qsizetype count) {
    for (qsizetype i = 0; i < count; ++i) {
        const auto shift = static_cast<unsigned>(8 * i);
        const auto byte = static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[offset + i]));
        value = (value & ~(std::uint64_t{0xFF} << shift)) | (byte << shift);
    }
    return value;
}

std::array<PackedDate *, 4> DateFields(CalcDocument &doc) {
    return {&doc.signature, &doc.firstRevision, &doc.lastRevision, &doc.referenceDate};
}

FileDialogRequest DocumentDialogRequest(unsigned flags) {
    FileDialogRequest request;
    request.filters = DocumentFilters();
    request.defaultExtension = DocumentExtension();
    request.flags = flags;
    return request;
}

} // namespace

QString DocumentExtension() {
    return QStringLiteral("clv");
}

QStringList DocumentFilters() {
    return {QStringLiteral("Calvors (*.clv)"), QStringLiteral("Tous les fichiers (*.*)")};
}

FileDialogRequest OpenDocumentRequest() {
    return DocumentDialogRequest(OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER);
}

FileDialogRequest SaveDocumentRequest() {
    return DocumentDialogRequest(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                 OFN_EXPLORER);
}

QByteArray DocumentBytes(const CalcDocument &doc) {
    QByteArray out;
    out.reserve(kDocumentSize);
    out.append(kMagic, kMagicSize);
    for (const PackedDate date :
         {doc.signature, doc.firstRevision, doc.lastRevision, doc.referenceDate})
        AppendLittleEndian(out, date.Word(), kDateWordSize);
    AppendLittleEndian(out, std::bit_cast<std::uint64_t>(doc.rent), 8);
    return out;
}

OpenOutcome ReadDocumentBytes(QByteArrayView bytes, CalcDocument &doc) {
    if (bytes.size() < kMagicSize || bytes.first(kMagicSize) != QByteArrayView(kMagic))
        return OpenOutcome::NotADocument;
    qsizetype offset = kMagicSize;
    for (PackedDate *date : DateFields(doc)) {
        const qsizetype present = qBound(qsizetype{0}, bytes.size() - offset, kDateWordSize);
        const auto word = MergeLittleEndian(date->Word(), bytes, offset, present);
        *date = PackedDate(static_cast<std::uint32_t>(word));
        offset += kDateWordSize;
    }
    if (bytes.size() < kDocumentSize)
        return OpenOutcome::CutShort;
    doc.rent = std::bit_cast<double>(MergeLittleEndian(0, bytes, kRentOffset, 8));
    return OpenOutcome::Opened;
}

OpenOutcome ReadDocumentFile(CalcDocument &doc, const QString &path) {
    // Only the first 27 bytes matter; a huge file is not read whole.
    const ReadResult file = ReadWholeFile(path, kDocumentSize);
    if (file.status != ReadStatus::Ok)
        return OpenOutcome::CannotOpen;
    return ReadDocumentBytes(file.bytes, doc);
}

WriteStatus WriteDocumentFile(const CalcDocument &doc, const QString &path) {
    return WriteWholeFile(path, DocumentBytes(doc));
}
