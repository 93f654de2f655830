#include "ui/options_dlg.h"

#include "app/revision_app.h"
#include "platform/message_box.h"
#include "platform_widgets/data_exchange.h"

namespace {

constexpr unsigned kLabel = SS_LEFT | WS_GROUP;
constexpr unsigned kEdit = WS_BORDER | ES_AUTOHSCROLL;

} // namespace

DialogTemplate OptionsDlgTemplate() {
    return {IDD_OPTIONS,
            QStringLiteral("Options"),
            154,
            149,
            DS_CENTER,
            {
                {IDC_STATIC, ControlKind::GroupBox, QStringLiteral("Copier le résultat du calcul"),
                 5, 5, 142, 55},
                {IDC_TARGET_WORD, ControlKind::RadioButton,
                 QStringLiteral("Vers &Word (format Word 6/95)"), 11, 18, 111, 10, WS_GROUP},
                {IDC_TARGET_TABLE, ControlKind::RadioButton,
                 QStringLiteral("Dans le &presse-papiers (format Word)"), 11, 31, 132, 10},
                {IDC_TARGET_TABS, ControlKind::RadioButton,
                 QStringLiteral("Dans le presse-papiers (format &RTF)"), 11, 44, 129, 10},
                {IDC_STATIC, ControlKind::Label, QStringLiteral("&Symbole monétaire:"), 7, 67, 62,
                 8, kLabel},
                {IDC_SYMBOL, ControlKind::Edit, QString(), 79, 65, 23, 12, kEdit},
                {IDC_STATIC, ControlKind::Label,
                 QStringLiteral("R&ajouter 2000 aux années à deux chiffres inférieures à:"), 6, 84,
                 93, 18, kLabel},
                {IDC_PIVOT, ControlKind::Edit, QString(), 103, 87, 23, 12, kEdit | ES_NUMBER},
                {IDCANCEL, ControlKind::PushButton, QStringLiteral("Annuler"), 7, 112, 66, 14},
                {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 81, 112, 66, 14},
                {IDC_CONTROLS, ControlKind::CheckBox,
                 QStringLiteral("Signaler les règles à &vérifier"), 7, 132, 140, 10, WS_GROUP},
            }};
}

const MessageMapEntry<COptionsDlg> COptionsDlg::kMessageMap[] = {
    {IDOK, BN_CLICKED, &COptionsDlg::OnOK},
};

COptionsDlg::COptionsDlg(CRevisionApp &app)
    : CDialog(OptionsDlgTemplate(), app.MessageBoxes())
    , m_nTarget(app.m_nCible)
    , m_strSymbol(app.m_strSymbole)
    // A negative stored pivot shows as the unsigned number it is held as.
    , m_nPivot(static_cast<unsigned>(app.m_nDate2000))
    , m_bControles(app.m_nControles != 0)
    , m_app(app) {}

COptionsDlg::~COptionsDlg() = default;

bool COptionsDlg::OnCommand(int id, int code, const NotifyInfo &info) {
    return DispatchMessageMap(*this, kMessageMap, id, code, info);
}

void COptionsDlg::DoDataExchange(CDataExchange &dx) {
    DDX_Radio(dx, IDC_TARGET_WORD, m_nTarget);
    DDX_Text(dx, IDC_PIVOT, m_nPivot);
    DDV_MinMaxUInt(dx, m_nPivot, 0, kMaxPivot);
    DDX_Text(dx, IDC_SYMBOL, m_strSymbol);
    DDV_MaxChars(dx, m_strSymbol, kMaxSymbolChars);
    DDX_Check(dx, IDC_CONTROLS, m_bControles);
}

void COptionsDlg::OnOK() {
    if (!UpdateData(true))
        return;
    m_app.m_nCible = m_nTarget;
    m_app.m_strSymbole = m_strSymbol;
    m_app.m_nDate2000 = static_cast<int>(m_nPivot);
    // A stored value other than 1 that still means "on" is kept as it is.
    if (!m_bControles)
        m_app.m_nControles = 0;
    else if (m_app.m_nControles == 0)
        m_app.m_nControles = 1;
    // Written at once, so that the settings survive a run that ends badly.
    m_app.WriteSettings();
    EndDialog(IDOK);
}
