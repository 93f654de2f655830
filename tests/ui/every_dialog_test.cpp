// Every dialog of the program, on small and large screens, with a large
// scale and a large font, and as a screen reader sees it.

#include "app/revision_app.h"
#include "engine/legal_rules.h"
#include "engine/number_text.h"
#include "engine/revision_notices.h"
#include "platform_widgets/dialog_window.h"
#include "platform_widgets/rich_text_view.h"
#include "ui/calc_data_dlg.h"
#include "ui/indices_dlg.h"
#include "ui/main_menu_dlg.h"
#include "ui/options_dlg.h"
#include "ui/preview_dlg.h"

#include "support/fakes.h"
#include "support/modal_test_support.h"
#include "support/test_locales.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

// Each dialog, made on an application object over fakes.
struct DialogCase {
    const char *name;
    std::function<DialogTemplate()> makeTemplate;
    std::function<std::unique_ptr<CDialog>(CRevisionApp &)> make;
};

template<class T> std::unique_ptr<CDialog> Make(CRevisionApp &app) {
    return std::make_unique<T>(app);
}

// The preview of a calculation that has a notice beside its report.
std::unique_ptr<CDialog> PreviewWithNotice(CRevisionApp &app) {
    const LegalRule &rule = LegalRules().front();
    app.m_notices = {RevisionNotice{rule.kind,
                                    rule.title,
                                    rule.reference,
                                    QStringLiteral("Une règle à vérifier."),
                                    {},
                                    {},
                                    {}}};
    return std::make_unique<CPreviewDlg>(app);
}

const std::vector<DialogCase> &Dialogs() {
    static const std::vector<DialogCase> dialogs = {
        {"main menu", MainMenuDlgTemplate, Make<CMainMenuDlg>},
        {"calculation data", CalcDataDlgTemplate, Make<CCalcDataDlg>},
        {"options", OptionsDlgTemplate, Make<COptionsDlg>},
        {"index table", IndicesDlgTemplate, Make<CIndicesDlg>},
        {"preview", PreviewDlgTemplate, Make<CPreviewDlg>},
        {"preview with a notice", PreviewDlgTemplate, PreviewWithNotice},
    };
    return dialogs;
}

struct Harness : FakeServices {
    Harness()
        : app(As<AppServices>(), TestLocale::French(), dir.path()) {
        EnsureApplication();
        ReadDecimalSeparator(TestLocale::French());
        CDialog::SetRichEditFactory(
            [](QWidget *parent, const DialogControl &) { return new RichTextView(parent); });
    }
    QTemporaryDir dir;
    CRevisionApp app;
};

// Opens dialog `c` and runs `check` on it and its template.
void WithDialog(Harness &h, const DialogCase &c,
                const std::function<void(CDialog &, const DialogTemplate &)> &check) {
    const std::unique_ptr<CDialog> dialog = c.make(h.app);
    const DialogTemplate t = c.makeTemplate();
    RunThenLeave(*dialog, [&] { check(*dialog, t); });
}

// ---------------------------------------------------------------------------
// The accessibility tree.

// The role a screen reader must be told; none for a kind not listed here.
std::optional<QAccessible::Role> ExpectedRole(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
        return QAccessible::PushButton;
    case ControlKind::RadioButton:
        return QAccessible::RadioButton;
    case ControlKind::GroupBox:
        return QAccessible::Grouping;
    case ControlKind::Label:
        return QAccessible::StaticText;
    case ControlKind::Edit:
    case ControlKind::RichEdit:
        return QAccessible::EditableText;
    case ControlKind::ComboDropDownList:
        return QAccessible::ComboBox;
    case ControlKind::ListView:
        return QAccessible::Tree;
    default:
        return std::nullopt;
    }
}

TEST(EveryDialog, ScreenReaderFindsEveryControlNamedWithItsRole) {
    Harness h;
    // Names that say which field of a row a control is.
    const std::vector<std::pair<int, const char *>> names = {
        {IDC_SIGNATURE_DAY, "Signature du bail, jour"},
        {IDC_FIRST_REVISION_MONTH, "Première révision, mois"},
        {IDC_LAST_REVISION_YEAR, "Dernière révision, année"},
        {IDC_REF_QUARTER, "Indice de référence, trimestre"},
        {IDC_REF_YEAR, "Indice de référence, année"},
        {IDC_INDEX_VALUE, "Indice de référence, valeur"},
        {IDC_RENT, "Montant du loyer"},
    };
    const std::vector<std::pair<int, const char *>> alone = {
        {IDC_INDEX_LIST, "Indices de l'INSEE"},
        {IDC_REPORT_VIEW, "Aperçu du résultat du calcul"},
        {IDC_SYMBOL, "Symbole monétaire"},
    };
    for (const DialogCase &c : Dialogs()) {
        SCOPED_TRACE(c.name);
        WithDialog(h, c, [&](CDialog &dialog, const DialogTemplate &t) {
            std::set<QObject *> found;
            std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
                if (!node)
                    return;
                found.insert(node->object());
                // The cells of a list and the parts of a drop-down list are
                // the controls' own.
                const QAccessible::Role role = node->role();
                if (role == QAccessible::Tree || role == QAccessible::ComboBox)
                    return;
                for (int i = 0; i < node->childCount(); ++i)
                    walk(node->child(i));
            };
            walk(QAccessible::queryAccessibleInterface(dialog.Window()));
            for (const DialogControl &control : t.controls) {
                if (control.id == IDC_STATIC)
                    continue;
                QWidget *widget = dialog.GetDlgItem(control.id);
                SCOPED_TRACE(control.id);
                ASSERT_NE(widget, nullptr);
                EXPECT_TRUE(found.count(widget)) << "not in the tree";
                QAccessibleInterface *node = QAccessible::queryAccessibleInterface(widget);
                ASSERT_NE(node, nullptr);
                if (const auto role = ExpectedRole(control.kind)) {
                    EXPECT_EQ(node->role(), *role);
                }
                EXPECT_FALSE(node->text(QAccessible::Name).trimmed().isEmpty());
                const bool dataDialog = t.id == IDD_CALC_DATA;
                for (const auto &[id, name] : dataDialog ? names : alone) {
                    if (id == control.id) {
                        EXPECT_TRUE(
                            node->text(QAccessible::Name).startsWith(QString::fromUtf8(name)))
                            << node->text(QAccessible::Name).toStdString();
                    }
                }
            }
        });
    }
}

TEST(EveryDialog, IndexValueIsAnnouncedWithTheValueShown) {
    Harness h;
    h.app.m_doc.referenceDate = PackedDate::FromParts(1, 4, 2001);
    h.app.m_indices.Set((2001 - 1970) * 4 + 1, 1234.5f);
    CCalcDataDlg dialog(h.app);
    RunThenLeave(dialog, [&] {
        QAccessibleInterface *node =
            QAccessible::queryAccessibleInterface(dialog.GetDlgItem(IDC_INDEX_VALUE));
        EXPECT_EQ(node->text(QAccessible::Name),
                  QStringLiteral("Indice de référence, valeur: 1234,50"));
        dialog.SetDlgItemText(IDC_REF_YEAR, QString());
        EXPECT_EQ(node->text(QAccessible::Name), QStringLiteral("Indice de référence, valeur"));
    });
}

// ---------------------------------------------------------------------------
// Screens, scales and fonts. Each configuration runs in a process of its
// own, since the screen and the scale are fixed when the application
// starts: the child is this program, asked for the test below with the
// configuration in its environment.

const char kChildScreen[] = "CALVOR_FIT_SCREEN";   // "1024x600", as the screen
const char kChildFont[] = "CALVOR_FIT_FONT";       // points, 0: the desktop's
const char kChildUnmoved[] = "CALVOR_FIT_UNMOVED"; // "1": the template fits

QRect InWindow(QWidget *widget, QWidget *window) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// Run by the child: every dialog in this process's screen.
TEST(EveryDialog, ChildFitsItsScreen) {
    if (qEnvironmentVariableIsEmpty(kChildScreen))
        GTEST_SKIP() << "run by EveryDialog.ControlsStayInsideWindowsThatFitTheScreen";
    Harness h;
    const int points = qEnvironmentVariableIntValue(kChildFont);
    if (points > 0) {
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    const bool unmoved = qEnvironmentVariableIntValue(kChildUnmoved) == 1;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // The screen asked for, in pixels of the scale.
    const QStringList asked = qEnvironmentVariable(kChildScreen).split(u'x');
    ASSERT_EQ(asked.size(), 2);
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    EXPECT_EQ(area.size(),
              QSize(qRound(asked[0].toInt() / scale), qRound(asked[1].toInt() / scale)));
    for (const DialogCase &c : Dialogs()) {
        SCOPED_TRACE(c.name);
        WithDialog(h, c, [&](CDialog &dialog, const DialogTemplate &t) {
            QWidget *window = dialog.Window();
            EXPECT_TRUE(area.contains(dialog.WindowRect()))
                << "window " << dialog.WindowRect().width() << "x" << dialog.WindowRect().height()
                << " on " << area.width() << "x" << area.height();
            // With an area that scrolls, the controls lie inside the page
            // it scrolls, and it inside the window.
            auto *scroll = window->findChild<QScrollArea *>();
            QWidget *page = scroll ? scroll->widget() : window;
            std::printf("%s: %dx%d%s\n", c.name, window->width(), window->height(),
                        scroll ? ", scrolled" : "");
            if (scroll) {
                EXPECT_TRUE(window->rect().contains(InWindow(scroll, window)));
            }
            EXPECT_EQ(scroll == nullptr || !unmoved, true) << "scrolls where it fits";
            std::vector<std::pair<const DialogControl *, QRect>> placed;
            const auto &items = static_cast<DialogWindow *>(window)->Items();
            ASSERT_EQ(items.size(), t.controls.size());
            for (std::size_t i = 0; i < t.controls.size(); ++i) {
                const DialogControl &control = t.controls[i];
                QWidget *widget = items[i].widget;
                SCOPED_TRACE(control.text.isEmpty() ? std::to_string(control.id)
                                                    : control.text.toStdString());
                // A control its dialog hides until it has something to
                // show (the preview's notices) takes no room.
                if (widget->isHidden() && QByteArrayView(c.name) == "preview")
                    continue;
                const QRect rect = InWindow(widget, page);
                EXPECT_TRUE(widget->isVisible());
                EXPECT_TRUE(page->rect().contains(rect))
                    << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height()
                    << " in " << page->width() << "x" << page->height();
                const bool pushButton = control.kind == ControlKind::PushButton ||
                                        control.kind == ControlKind::DefPushButton;
                if (pushButton || control.kind == ControlKind::RadioButton) {
                    EXPECT_GE(widget->height(), widget->fontMetrics().height()) << "text cut";
                }
                if (unmoved && !(t.style & WS_THICKFRAME) &&
                    control.kind != ControlKind::ComboDropDownList) {
                    // Where the template places it (the data dialog moves its
                    // year fields one pixel left itself).
                    const QRect expected = DialogUnitsToPixels(
                        QRect(control.x, control.y, control.cx, control.cy), dialog.BaseUnits());
                    EXPECT_EQ(rect.size(), expected.size());
                    EXPECT_LE((rect.topLeft() - expected.topLeft()).manhattanLength(), 1);
                }
                // None over another, but for a frame and what it holds.
                for (const auto &[other, otherRect] : placed) {
                    if (other->kind != ControlKind::GroupBox || !otherRect.contains(rect)) {
                        EXPECT_FALSE(rect.intersects(otherRect)) << "over " << other->id;
                    }
                }
                placed.emplace_back(&control, rect);
            }
            // In a dialog that scrolls, a button given the focus is scrolled
            // into view, so that the keyboard reaches each one.
            if (!scroll)
                return;
            for (std::size_t i = 0; i < t.controls.size(); ++i) {
                const ControlKind kind = t.controls[i].kind;
                if (kind != ControlKind::PushButton && kind != ControlKind::DefPushButton)
                    continue;
                QWidget *button = items[i].widget;
                dialog.GotoDlgCtrl(button);
                // As much of it as the view has room for.
                const QRect view = scroll->viewport()->rect();
                const QRect shown =
                    view & QRect(button->mapTo(scroll->viewport(), QPoint(0, 0)), button->size());
                EXPECT_EQ(shown.size(), button->size().boundedTo(view.size()))
                    << t.controls[i].text.toStdString() << " out of view";
            }
        });
    }
}

TEST(EveryDialog, ControlsStayInsideWindowsThatFitTheScreen) {
    EnsureApplication();
    struct Config {
        const char *scale;
        int points; // 0: the desktop's font
        QSize screen;
        bool unmoved; // the templates fit: nothing may move
    };
    const Config configs[] = {
        {"1", 0, {1280, 1024}, true},
        {"1", 0, {1024, 600}, true},
        {"2", 0, {1280, 1024}, false},
        {"2", 0, {1024, 600}, false},
        {"1", 20, {1280, 1024}, false},
        {"1", 20, {1024, 600}, false},
        {"1", 14, {1024, 600}, true},
        {"1", 16, {1024, 600}, false},
        // Narrower than the data dialog at 20 pt: its controls close up across.
        {"1", 20, {800, 600}, false},
        // Both at once: the dialogs scroll, the preview's buttons stack.
        {"2", 20, {1024, 600}, false},
    };
    QTemporaryDir dir;
    for (const Config &config : configs) {
        const QString name = QStringLiteral("scale %1, %2 pt, %3x%4")
                                 .arg(QLatin1String(config.scale))
                                 .arg(config.points)
                                 .arg(config.screen.width())
                                 .arg(config.screen.height());
        SCOPED_TRACE(name.toStdString());
        const QString screens = dir.filePath(
            QStringLiteral("%1x%2.json").arg(config.screen.width()).arg(config.screen.height()));
        QFile file(screens);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"({"screens": [{"name": "essai", "x": 0, "y": 0,
            "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                       .arg(config.screen.width())
                       .arg(config.screen.height())
                       .toUtf8());
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   QStringLiteral("offscreen:configfile=") + screens);
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(config.scale));
        env.insert(QLatin1String(kChildScreen),
                   QStringLiteral("%1x%2").arg(config.screen.width()).arg(config.screen.height()));
        env.insert(QLatin1String(kChildFont), QString::number(config.points));
        env.insert(QLatin1String(kChildUnmoved), QString::number(config.unmoved ? 1 : 0));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=EveryDialog.ChildFitsItsScreen")});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_FALSE(output.contains("SKIPPED")) << output.toStdString();
    }
}

} // namespace
