#include "ui/indices_dlg.h"

#include "app/revision_app.h"
#include "engine/index_table.h"
#include "engine/index_update.h"
#include "engine/number_text.h"
#include "engine/packed_date.h"
#include "engine/sdmx_reader.h"
#include "platform/message_box.h"
#include "platform/message_format.h"
#include "platform/services.h"
#include "platform/string_table.h"
#include "platform_widgets/data_exchange.h"
#include "ui/amount_edit.h"

#include <QComboBox>
#include <QShortcut>
#include <QStringBuilder>

#include <algorithm>
#include <cmath>

DialogTemplate IndicesDlgTemplate() {
    return {IDD_INDICES,
            QStringLiteral("Indices de l'INSEE"),
            302,
            201,
            DS_CENTER,
            {
                {IDC_INDEX_LIST, ControlKind::ListView, QString(), 5, 5, 160, 170,
                 WS_BORDER | LVS_EDITLABELS | LVS_NOSORTHEADER},
                {IDCANCEL, ControlKind::PushButton, QStringLiteral("Annuler"), 6, 181, 74, 14},
                {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 91, 181, 74, 14},
                // The published series, in a column beside the table, so that
                // the dialog is no taller than before.
                {IDC_SERIES_LINE, ControlKind::Label, QString(), 172, 5, 125, 40, SS_NOPREFIX},
                {IDC_STATIC, ControlKind::Label, QStringLiteral("Sé&rie :"), 172, 54, 28, 8,
                 SS_LEFTNOWORDWRAP},
                {IDC_SERIES_CHOICE,
                 ControlKind::ComboDropDownList,
                 QString(),
                 202,
                 52,
                 50,
                 60,
                 0,
                 {QStringLiteral("IRL"), QStringLiteral("ILC"), QStringLiteral("ILAT"),
                  QStringLiteral("ICC")}},
                {IDC_NEXT_DIFFERENCE, ControlKind::PushButton,
                 QStringLiteral("Différence &suivante"), 172, 72, 125, 14},
                {IDC_UPDATE_FROM_INSEE, ControlKind::PushButton,
                 QStringLiteral("Mettre à jour depuis l'&INSEE…"), 172, 94, 125, 14},
                {IDC_IMPORT_INSEE_FILE, ControlKind::PushButton,
                 QStringLiteral("Importer un &fichier INSEE…"), 172, 112, 125, 14},
            }};
}

namespace {

// "%d - Trim %d" of a quarter (1 to 4), put together in one allocation:
// written for every row each time the dialog opens, it is worth avoiding
// the parsing of a format.
QString QuarterText(int year, int quarter) {
    return QString::number(year) % QStringView(u" - Trim ") % QChar(u'0' + quarter);
}

// The largest index a cell takes: the widest value of the index file's
// field, and far above any published index. A value that would round to
// more at two decimals is refused.
constexpr double kLargestIndex = 99999.99;
constexpr double kLargestBeforeRounding = 99999.995;

// The most quarters a confirmation lists; the rest are counted.
constexpr int kListedChanges = 15;

QString Text(unsigned id, const std::vector<MessageArg> &args = {}) {
    return FormatPrintf(LoadString(id), args);
}

// "2e trimestre 2026" of a table position.
QString QuarterOrdinal(int position) {
    const int quarter = position % 4 + 1;
    return (quarter == 1 ? QStringLiteral("1er") : QString::number(quarter) + u'e') +
           QStringLiteral(" trimestre ") + QString::number(PackedDate::kFirstYear + position / 4);
}

QString DifferingText(int count) {
    if (count == 0)
        return QStringLiteral("aucun trimestre ne diffère des valeurs publiées");
    if (count == 1)
        return QStringLiteral("1 trimestre diffère des valeurs publiées");
    return QString::number(count) + QStringLiteral(" trimestres diffèrent des valeurs publiées");
}

QString ChangeLines(const std::vector<IndexChange> &changes) {
    QStringList lines;
    for (const IndexChange &change : changes) {
        if (lines.size() == kListedChanges) {
            lines.append(QStringLiteral("… et %1 autres").arg(changes.size() - kListedChanges));
            break;
        }
        lines.append(IndexChangeText(change));
    }
    return lines.join(u'\n');
}

int LastNonZero(const IndexTable &table) {
    for (int p = IndexTable::kListedSize - 1; p >= 0; --p) {
        if (table.At(p) != 0.0f)
            return p;
    }
    return -1;
}

} // namespace

const MessageMapEntry<CIndicesDlg> CIndicesDlg::kMessageMap[] = {
    {IDOK, BN_CLICKED, &CIndicesDlg::OnOK},
    {IDC_INDEX_LIST, NM_CLICK, &CIndicesDlg::OnClickList},
    {IDC_INDEX_LIST, LVN_ENDLABELEDIT, &CIndicesDlg::OnEndLabelEditList},
    {IDC_NEXT_DIFFERENCE, BN_CLICKED, &CIndicesDlg::OnNextDifference},
    {IDC_UPDATE_FROM_INSEE, BN_CLICKED, &CIndicesDlg::OnUpdateFromInsee},
    {IDC_IMPORT_INSEE_FILE, BN_CLICKED, &CIndicesDlg::OnImportInseeFile},
};

CIndicesDlg::CIndicesDlg(CRevisionApp &app)
    : CDialog(IndicesDlgTemplate(), app.MessageBoxes())
    , m_app(app) {}

CIndicesDlg::~CIndicesDlg() = default;

bool CIndicesDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

void CIndicesDlg::DoDataExchange(CDataExchange &dx) {
    DDX_Control(dx, IDC_INDEX_LIST, m_listIndices);
}

bool CIndicesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Both columns share the width left beside a vertical scroll bar, which
    // the list shows once its rows are in.
    const int width = (m_listIndices.GetClientRect().width() - CListCtrl::ScrollBarExtent()) / 2;
    m_listIndices.InsertColumn(0, QStringLiteral("Indices"), LVCFMT_LEFT, width);
    m_listIndices.InsertColumn(1, QStringLiteral("Trimestre"), LVCFMT_CENTER, width);
    const IndexTable &table = m_app.m_indices;
    int row = 0;
    for (int year = PackedDate::kFirstYear; row < IndexTable::kListedSize; ++year) {
        for (int quarter = 1; quarter <= 4; ++quarter, ++row) {
            const int item = m_listIndices.InsertItem(
                row, FormatNumber(static_cast<double>(table.At(row)), kDecimals));
            m_listIndices.SetItemText(item, 1, QuarterText(year, quarter));
        }
    }

    // The published series the table holds, and where it differs.
    const SeriesIdentification held = IdentifyIndexSeries(table);
    m_series = held.series;
    m_ownTableEmpty = held.compared == 0 && LastNonZero(table) < 0;
    m_received = {};
    if (auto *choice = qobject_cast<QComboBox *>(GetDlgItem(IDC_SERIES_CHOICE)))
        choice->setCurrentIndex(static_cast<int>(m_series.value_or(IndexSeries::Irl)));
    MarkDifferences();
    const std::pair<int, const char *> names[] = {
        {IDC_SERIES_LINE, "Série de la table"},
        {IDC_SERIES_CHOICE, "Série à mettre à jour"},
        {IDC_NEXT_DIFFERENCE, "Aller au trimestre suivant qui diffère des valeurs publiées"},
        {IDC_UPDATE_FROM_INSEE, "Mettre à jour depuis l'INSEE"},
        {IDC_IMPORT_INSEE_FILE, "Importer un fichier INSEE"},
    };
    for (const auto &[id, name] : names) {
        if (QWidget *control = GetDlgItem(id))
            control->setAccessibleName(QString::fromUtf8(name));
    }
    auto *next = new QShortcut(QKeySequence(Qt::Key_F3), Window());
    QObject::connect(next, &QShortcut::activated, Window(), [this] { OnNextDifference(); });
    // The focus goes to the first control, the list.
    return true;
}

const IndexTable &CIndicesDlg::Reference(IndexSeries series) const {
    const std::optional<IndexTable> &received = m_received[static_cast<std::size_t>(series)];
    return received ? *received : PublishedValues(series);
}

IndexSeries CIndicesDlg::ChosenSeries() const {
    const auto *choice = qobject_cast<const QComboBox *>(GetDlgItem(IDC_SERIES_CHOICE));
    const int index = choice ? choice->currentIndex() : -1;
    if (index < 0 || index >= static_cast<int>(KnownIndexSeries().size()))
        return m_series.value_or(IndexSeries::Irl);
    return KnownIndexSeries()[static_cast<std::size_t>(index)].series;
}

IndexTable CIndicesDlg::ListedTable() const {
    IndexTable table = m_app.m_indices;
    for (int row = 0; row < IndexTable::kListedSize; ++row)
        table.Set(row, NarrowIndexValue(ParseNumber(m_listIndices.GetItemText(row, 0))));
    return table;
}

void CIndicesDlg::MarkDifferences(int only) {
    if (!m_series) {
        UpdateSeriesLine();
        return;
    }
    const IndexTable &reference = Reference(*m_series);
    const int first = only < 0 ? 0 : only;
    const int last = only < 0 ? IndexTable::kListedSize - 1 : only;
    for (int row = first; row <= last; ++row) {
        const float published = reference.At(row);
        QString note;
        if (published != 0.0f) {
            const double held = ParseNumber(m_listIndices.GetItemText(row, 0));
            if (held != 0.0 && !SameIndexValue(static_cast<double>(NarrowIndexValue(held)),
                                               static_cast<double>(published)))
                note = QStringLiteral("Valeur publiée par l'INSEE : ") +
                       FormatNumber(static_cast<double>(published), kDecimals);
        }
        m_listIndices.SetItemMark(row, note);
    }
    UpdateSeriesLine();
}

void CIndicesDlg::UpdateSeriesLine() {
    QString line;
    if (!m_series) {
        line = m_ownTableEmpty
                   ? QStringLiteral("Série : table vide")
                   : QStringLiteral("Série : table personnelle, qui ne correspond à aucune série "
                                    "publiée par l'INSEE");
    } else {
        int differing = 0;
        for (int row = 0; row < IndexTable::kListedSize; ++row) {
            if (!m_listIndices.GetItemMark(row).isEmpty())
                ++differing;
        }
        const int last = LastNonZero(Reference(*m_series));
        line = QStringLiteral("Série : ") + SeriesInfo(*m_series).shortName;
        if (last >= 0)
            line += QStringLiteral(" — publiée jusqu'au ") + QuarterOrdinal(last);
        line += QStringLiteral(" — ") + DifferingText(differing);
    }
    SetDlgItemText(IDC_SERIES_LINE, line);
}

void CIndicesDlg::OnNextDifference() {
    const int rows = m_listIndices.GetItemCount();
    const int from = m_listIndices.GetCurrentItem();
    for (int step = 1; step <= rows; ++step) {
        const int row = (from + step + rows) % rows;
        if (!m_listIndices.GetItemMark(row).isEmpty()) {
            m_listIndices.SetCurrentItem(row);
            GotoDlgCtrl(m_listIndices.Widget());
            return;
        }
    }
}

void CIndicesDlg::OnUpdateFromInsee() {
    const IndexSeries series = ChosenSeries();
    if (const std::optional<SdmxReadOutcome> outcome = m_app.DownloadIndexSeries(series, true))
        TakePublishedValues(series, *outcome);
}

void CIndicesDlg::OnImportInseeFile() {
    FileDialogRequest request;
    request.filters = {QStringLiteral("Séries de l'INSEE (*.xml)"),
                       QStringLiteral("Tous les fichiers (*)")};
    request.defaultExtension = QStringLiteral("xml");
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    const std::optional<QString> path = m_app.Services().fileDialogs->GetOpenFileName(request);
    if (!path)
        return;
    const IndexSeries series = ChosenSeries();
    if (const std::optional<SdmxReadOutcome> outcome = m_app.ImportIndexSeries(series, *path))
        TakePublishedValues(series, *outcome);
}

void CIndicesDlg::TakePublishedValues(IndexSeries series, const SdmxReadOutcome &outcome) {
    const QString name = SeriesInfo(series).shortName;
    const IndexUpdatePlan plan = PlanIndexUpdate(ListedTable(), outcome.values);
    bool align = false;
    if (!plan.differing.empty()) {
        // The user's own values are replaced only on a plain Yes.
        const int answer = MessageBox(
            MessageBoxes(), Text(IDS_INSEE_CONFIRM_DIFFERING, {name, ChangeLines(plan.differing)}),
            MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer != IDYES && answer != IDNO)
            return;
        align = answer == IDYES;
    }

    IndexTable received = PublishedValues(series);
    for (int p = 0; p < IndexTable::kListedSize; ++p) {
        if (outcome.values.At(p) != 0.0f)
            received.Set(p, outcome.values.At(p));
    }
    m_received[static_cast<std::size_t>(series)] = received;
    m_series = series;
    for (const IndexChange &change : plan.fills)
        m_listIndices.SetItemText(change.position, 0,
                                  FormatNumber(static_cast<double>(change.to), kDecimals));
    if (align) {
        for (const IndexChange &change : plan.differing)
            m_listIndices.SetItemText(change.position, 0,
                                      FormatNumber(static_cast<double>(change.to), kDecimals));
    }
    MarkDifferences();
    // The user sees the first quarter that changed.
    if (!plan.fills.empty() || align) {
        int first = plan.fills.empty() ? IndexTable::kListedSize : plan.fills.front().position;
        if (align && !plan.differing.empty())
            first = std::min(first, plan.differing.front().position);
        m_listIndices.SetCurrentItem(first);
    }

    const QString unreadable = UnreadableObservationsText(outcome);
    if (plan.IsEmpty()) {
        QString text = Text(IDS_INSEE_UP_TO_DATE, {name});
        if (!unreadable.isEmpty())
            text += u'\n' + unreadable;
        MessageBox(MessageBoxes(), text, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const long long replaced = align ? static_cast<long long>(plan.differing.size()) : 0;
    MessageBox(MessageBoxes(),
               Text(IDS_INSEE_DONE, {name, static_cast<long long>(plan.fills.size()), replaced,
                                     unreadable.isEmpty() ? QString() : u'\n' + unreadable}),
               MB_OK | MB_ICONINFORMATION);
}

void CIndicesDlg::OnClickList(const NotifyInfo &) {
    // No selected row: no edit.
    m_listIndices.EditLabel(m_listIndices.GetNextSelectedItem(-1));
}

void CIndicesDlg::OnEndLabelEditList(const NotifyInfo &info) {
    if (!info.hasText)
        return;
    // The value goes to the row that was edited: the first selected row
    // for an edit opened by a click, the current row for one opened by the
    // keyboard, which need not be the first selected.
    const int row = info.item >= 0 ? info.item : m_listIndices.GetNextSelectedItem(-1);
    // A text that is not wholly a number, or a value no table can hold, is
    // refused and the row keeps its value: nothing typed is cut silently.
    const std::optional<double> value = ReadAmountText(info.text);
    if (!value) {
        MessageBox(
            MessageBoxes(),
            FormatPrintf(LoadString(IDS_INDEX_NOT_A_NUMBER), {FormatNumber(150.5, kDecimals)}),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (std::abs(*value) >= kLargestBeforeRounding) {
        MessageBox(
            MessageBoxes(),
            FormatPrintf(LoadString(IDS_INDEX_TOO_LARGE), {FormatNumber(kLargestIndex, kDecimals)}),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_listIndices.SetItemText(row, 0, FormatNumber(*value, kDecimals));
    if (row >= 0)
        MarkDifferences(row);
}

void CIndicesDlg::StoreListedValues() {
    IndexTable &table = m_app.m_indices;
    for (int row = 0; row < IndexTable::kListedSize; ++row)
        table.Set(row, NarrowIndexValue(ParseNumber(m_listIndices.GetItemText(row, 0))));
}

void CIndicesDlg::OnOK() {
    StoreListedValues();
    // A failed write has shown its message (and, when no file could be
    // written at all, asked the program to end); the dialog ends all the
    // same, and the values stay in the table.
    m_app.WriteIndexFile();
    EndDialog(IDOK);
}
