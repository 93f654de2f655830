// The application's side of the index table's update from INSEE: the
// address, the download and the reading of the reply, the messages that say
// why an update failed, and the command-line update.

#include "app/revision_app.h"

#include "document/settings.h"
#include "engine/index_update.h"
#include "platform/download.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/message_format.h"
#include "platform/string_table.h"
#include "platform_widgets/display.h"

#include <QFileInfo>

namespace {

constexpr int kMegabyte = 1024 * 1024;

QString Text(unsigned id, const std::vector<MessageArg> &args = {}) {
    return FormatPrintf(LoadString(id), args);
}

// What the user reads when a download failed; empty when the user cancelled
// it and knows why.
QString DownloadFailureText(const DownloadResult &result, const QUrl &url, int timeoutMs) {
    switch (result.status) {
    case DownloadStatus::Ok:
    case DownloadStatus::Cancelled:
        return {};
    case DownloadStatus::AddressRefused:
        return Text(IDS_INSEE_ADDRESS_REFUSED, {url.toDisplayString()});
    case DownloadStatus::RedirectRefused:
        return Text(IDS_INSEE_REDIRECT_REFUSED, {result.detail});
    case DownloadStatus::NoNetwork:
        return Text(IDS_INSEE_NO_NETWORK);
    case DownloadStatus::HostNotFound:
        return Text(IDS_INSEE_HOST_NOT_FOUND, {url.host()});
    case DownloadStatus::ConnectionRefused:
        return Text(IDS_INSEE_CONNECTION_REFUSED, {url.authority()});
    case DownloadStatus::Timeout:
        return Text(IDS_INSEE_TIMEOUT, {static_cast<long long>((timeoutMs + 999) / 1000)});
    case DownloadStatus::HttpError:
        return Text(IDS_INSEE_HTTP_STATUS, {static_cast<long long>(result.httpStatus)});
    case DownloadStatus::TooLarge:
        return Text(IDS_INSEE_TOO_LARGE, {static_cast<long long>(kMaxSdmxReplyBytes / kMegabyte)});
    case DownloadStatus::Failed:
        break;
    }
    return Text(IDS_INSEE_FAILED, {result.detail});
}

QString RefusalText(const SdmxReadOutcome &outcome, IndexSeries series) {
    const IndexSeriesInfo &info = SeriesInfo(series);
    switch (outcome.refusal) {
    case SdmxRefusal::None:
        return {};
    case SdmxRefusal::TooLarge:
        return Text(IDS_INSEE_TOO_LARGE, {static_cast<long long>(kMaxSdmxReplyBytes / kMegabyte)});
    case SdmxRefusal::WrongSeries:
        return Text(IDS_INSEE_WRONG_SERIES, {outcome.detail, info.shortName, info.idbank});
    case SdmxRefusal::DuplicateQuarter:
        return Text(IDS_INSEE_DUPLICATE_QUARTER, {outcome.detail});
    case SdmxRefusal::NoObservation:
        return Text(IDS_INSEE_NO_VALUE);
    case SdmxRefusal::Empty:
    case SdmxRefusal::NotXml:
    case SdmxRefusal::NotSeriesData:
    case SdmxRefusal::NotQuarterly:
        break;
    }
    return Text(IDS_INSEE_NOT_FORMAT);
}

} // namespace

QString CRevisionApp::InseeAddress() const {
    const QString fromEnvironment = qEnvironmentVariable("CALVOR_INSEE_URL");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return m_strAdresseInsee.isEmpty() ? DefaultInseeAddress() : m_strAdresseInsee;
}

QUrl CRevisionApp::InseeSeriesUrl(IndexSeries series) const {
    QString address = InseeAddress();
    if (!address.endsWith(u'/'))
        address += u'/';
    return QUrl(address + SeriesInfo(series).idbank, QUrl::StrictMode);
}

void CRevisionApp::SetStandardErrorOutput(std::function<void(const QString &)> output) {
    m_standardError = std::move(output);
}

void CRevisionApp::TellInseeFailure(const QString &text) {
    if (text.isEmpty())
        return;
    if (m_bUpdatingFromCommandLine) {
        const QString line = LoadString(IDS_APP_TITLE) + QStringLiteral(": ") + text;
        if (m_standardError)
            m_standardError(line);
        else
            WriteStandardErrorLine(line);
        return;
    }
    MessageBox(*m_services.messageBoxes, text, MB_OK | MB_ICONSTOP);
}

std::optional<SdmxReadOutcome> CRevisionApp::ReadInseeReply(IndexSeries series,
                                                            const QByteArray &reply) {
    SdmxReadOutcome outcome = ReadSdmxSeries(reply, SeriesInfo(series).idbank);
    if (outcome.refusal != SdmxRefusal::None) {
        TellInseeFailure(RefusalText(outcome, series));
        return std::nullopt;
    }
    return outcome;
}

std::optional<SdmxReadOutcome> CRevisionApp::DownloadIndexSeries(IndexSeries series,
                                                                 bool showProgress) {
    const QUrl url = InseeSeriesUrl(series);
    // Checked here too, so that a mistyped address says so whatever the
    // download service does.
    if (!IsAdmittedDownloadUrl(url) || m_services.downloader == nullptr) {
        TellInseeFailure(Text(IDS_INSEE_ADDRESS_REFUSED, {url.toDisplayString()}));
        return std::nullopt;
    }
    DownloadRequest request;
    request.url = url;
    request.timeoutMs = m_nInseeTimeoutMs;
    request.maxBytes = kMaxSdmxReplyBytes;
    request.showProgress = showProgress;
    request.progressText = QStringLiteral("Téléchargement de la série %1 depuis l'INSEE…")
                               .arg(SeriesInfo(series).shortName);
    const DownloadResult result = m_services.downloader->Get(request);
    if (result.status != DownloadStatus::Ok) {
        TellInseeFailure(DownloadFailureText(result, url, m_nInseeTimeoutMs));
        return std::nullopt;
    }
    return ReadInseeReply(series, result.body);
}

std::optional<SdmxReadOutcome> CRevisionApp::ImportIndexSeries(IndexSeries series,
                                                               const QString &path) {
    // One byte past the limit is enough to know a file is too large.
    const ReadResult file = ReadWholeFile(path, kMaxSdmxReplyBytes + 1);
    if (file.status != ReadStatus::Ok) {
        TellInseeFailure(LoadString(IDS_OPEN_FAILED));
        return std::nullopt;
    }
    return ReadInseeReply(series, file.bytes);
}

int CRevisionApp::UpdateIndicesFromCommandLine(const QString &seriesName, bool replaceDiffering) {
    m_bUpdatingFromCommandLine = true;
    const auto print = [this](const QString &line) {
        const QString text = LoadString(IDS_APP_TITLE) + QStringLiteral(": ") + line;
        if (m_standardError)
            m_standardError(text);
        else
            WriteStandardErrorLine(text);
    };
    const auto fail = [this](const QString &text) {
        TellInseeFailure(text);
        m_bUpdatingFromCommandLine = false;
        return 1;
    };

    // The file as it is now: the start-up may have left an unreadable file
    // alone, and another copy may have changed it since.
    IndexTable table;
    const ReadStatus read = table.ReadIndexFile(m_strIndicesPath);
    if (read != ReadStatus::Ok && read != ReadStatus::Missing)
        return fail(LoadString(IDS_INDEX_FILE_ERROR));

    bool empty = true;
    for (int p = 0; p < IndexTable::kListedSize && empty; ++p)
        empty = table.At(p) == 0.0f;
    const SeriesIdentification held = IdentifyIndexSeries(table);
    IndexSeries series = held.series.value_or(IndexSeries::Irl);
    if (!seriesName.isEmpty()) {
        const std::optional<IndexSeries> named = SeriesFromShortName(seriesName);
        if (!named)
            return fail(Text(IDS_INSEE_UNKNOWN_SERIES, {seriesName}));
        // Filling the gaps of one series with another's values would mix
        // two indices in one table: only aligning the whole table may.
        if (held.series && *held.series != *named && !replaceDiffering) {
            return fail(Text(IDS_INSEE_OWN_TABLE,
                             {QStringLiteral("la série ") + SeriesInfo(*held.series).shortName}));
        }
        series = *named;
    } else if (!held.series && !empty) {
        return fail(Text(IDS_INSEE_OWN_TABLE,
                         {QStringLiteral("des valeurs qui ne sont d'aucune série connue")}));
    }

    const std::optional<SdmxReadOutcome> outcome = DownloadIndexSeries(series, false);
    if (!outcome) {
        m_bUpdatingFromCommandLine = false;
        return 1;
    }
    const IndexUpdatePlan plan = PlanIndexUpdate(table, outcome->values);
    const QString unreadable = UnreadableObservationsText(*outcome);
    if (!unreadable.isEmpty())
        print(unreadable);
    const QString name = SeriesInfo(series).shortName;
    if (plan.IsEmpty()) {
        print(Text(IDS_INSEE_UP_TO_DATE, {name}));
    } else if (!plan.fills.empty() || replaceDiffering) {
        IndexTable updated = table;
        ApplyIndexUpdate(updated, plan, replaceDiffering);
        const WriteStatus written = updated.WriteIndexFile(m_strIndicesPath);
        if (written != WriteStatus::Ok)
            return fail(LoadString(IDS_INDEX_FILE_ERROR));
        m_indices = updated;
        for (const IndexChange &change : plan.fills)
            print(IndexChangeText(change));
        if (replaceDiffering) {
            for (const IndexChange &change : plan.differing)
                print(IndexChangeText(change));
        }
    }
    if (!replaceDiffering && !plan.differing.empty()) {
        for (const IndexChange &change : plan.differing)
            print(IndexChangeText(change));
        print(Text(IDS_INSEE_KEPT_DIFFERING, {static_cast<long long>(plan.differing.size())}));
    }
    m_bUpdatingFromCommandLine = false;
    return 0;
}
