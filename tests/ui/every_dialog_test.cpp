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
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace {

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

// Each dialog, made on an application object over fakes.
const struct DialogCase {
    const char *name;
    DialogTemplate (*makeTemplate)();
    std::unique_ptr<CDialog> (*make)(CRevisionApp &);
} kDialogs[] = {
    {"main menu", MainMenuDlgTemplate, Make<CMainMenuDlg>},
    {"calculation data", CalcDataDlgTemplate, Make<CCalcDataDlg>},
    {"options", OptionsDlgTemplate, Make<COptionsDlg>},
    {"index table", IndicesDlgTemplate, Make<CIndicesDlg>},
    {"preview", PreviewDlgTemplate, Make<CPreviewDlg>},
    {"preview with a notice", PreviewDlgTemplate, PreviewWithNotice},
};

struct Harness : FakeServices {
    Harness()
        : app(As<AppServices>(), TestLocale::French(), dir.path()) {
        EnsureApplication();
        ReadDecimalSeparator(TestLocale::French());
        CDialog::SetRichEditFactory(
            [](QWidget *parent, const DialogControl &) { return new RichTextView(parent); });
    }
    // Opens each dialog in turn and runs `check` on it and its template.
    void EachDialog(
        const std::function<void(const DialogCase &, CDialog &, const DialogTemplate &)> &check) {
        for (const DialogCase &c : kDialogs) {
            SCOPED_TRACE(c.name);
            const std::unique_ptr<CDialog> dialog = c.make(app);
            const DialogTemplate t = c.makeTemplate();
            RunThenLeave(*dialog, [&] { check(c, *dialog, t); });
        }
    }
    QTemporaryDir dir;
    CRevisionApp app;
};

// The accessibility tree.
TEST(EveryDialog, ScreenReaderFindsEveryControlNamedWithItsRole) {
    // The role a screen reader must be told, for the kinds that have one.
    const std::pair<ControlKind, QAccessible::Role> roles[] = {
        {ControlKind::PushButton, QAccessible::PushButton},
        {ControlKind::DefPushButton, QAccessible::PushButton},
        {ControlKind::RadioButton, QAccessible::RadioButton},
        {ControlKind::GroupBox, QAccessible::Grouping},
        {ControlKind::Label, QAccessible::StaticText},
        {ControlKind::Edit, QAccessible::EditableText},
        {ControlKind::RichEdit, QAccessible::EditableText},
        {ControlKind::ComboDropDownList, QAccessible::ComboBox},
        {ControlKind::ListView, QAccessible::Tree}};
    // How names begin: in the data dialog they say which field of a row a
    // control is.
    const struct {
        bool inDataDialog;
        int id;
        const char *name;
    } names[] = {
        {true, IDC_SIGNATURE_DAY, "Signature du bail, jour"},
        {true, IDC_LAST_REVISION_YEAR, "Dernière révision, année"},
        {true, IDC_INDEX_VALUE, "Indice de référence, valeur"},
        {false, IDC_INDEX_LIST, "Indices de l'INSEE"},
        {false, IDC_REPORT_VIEW, "Aperçu du résultat du calcul"},
    };
    Harness h;
    h.EachDialog([&](const DialogCase &, CDialog &dialog, const DialogTemplate &t) {
        std::set<QObject *> found;
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
            if (!node)
                return;
            found.insert(node->object());
            // The cells of a list and the parts of a drop-down list are the
            // controls' own.
            if (node->role() == QAccessible::Tree || node->role() == QAccessible::ComboBox)
                return;
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(dialog.Window()));
        for (const DialogControl &control : t.controls) {
            if (control.id == IDC_STATIC)
                continue;
            SCOPED_TRACE(control.id);
            QWidget *widget = dialog.GetDlgItem(control.id);
            ASSERT_NE(widget, nullptr);
            EXPECT_TRUE(found.count(widget)) << "not in the tree";
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(widget);
            ASSERT_NE(node, nullptr);
            for (const auto &[kind, role] : roles) {
                if (kind == control.kind) {
                    EXPECT_EQ(node->role(), role);
                }
            }
            const QString name = node->text(QAccessible::Name);
            EXPECT_FALSE(name.trimmed().isEmpty());
            for (const auto &n : names) {
                if (n.id == control.id && n.inDataDialog == (t.id == IDD_CALC_DATA)) {
                    EXPECT_TRUE(name.startsWith(QString::fromUtf8(n.name))) << name.toStdString();
                }
            }
        }
    });
}

// Screens, scales and fonts. Each configuration runs in a process of its
// own, since the screen and the scale are fixed when the application
// starts: the child is this program, asked for the test below with the
// configuration in its environment: "1024x600 20 1" is the screen, the
// font's points (0: the desktop's) and 1 where the templates fit.
const char kChildConfig[] = "CALVOR_FIT";

QRect InWindow(QWidget *widget, QWidget *window) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// Run by the child: every dialog in this process's screen.
TEST(EveryDialog, ChildFitsItsScreen) {
    const QStringList config = qEnvironmentVariable(kChildConfig).split(u' ');
    if (config.size() != 3)
        GTEST_SKIP() << "run by EveryDialog.ControlsStayInsideWindowsThatFitTheScreen";
    Harness h;
    if (const int points = config[1].toInt(); points > 0) {
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    const bool unmoved = config[2] == u'1';
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    h.EachDialog([&](const DialogCase &c, CDialog &dialog, const DialogTemplate &t) {
        QWidget *window = dialog.Window();
        EXPECT_TRUE(area.contains(dialog.WindowRect()))
            << "window " << dialog.WindowRect().width() << "x" << dialog.WindowRect().height();
        // With an area that scrolls, the controls lie inside the page it
        // scrolls, and it inside the window.
        auto *scroll = window->findChild<QScrollArea *>();
        QWidget *page = scroll ? scroll->widget() : window;
        EXPECT_TRUE(!scroll || window->rect().contains(InWindow(scroll, window)));
        EXPECT_FALSE(scroll && unmoved) << "scrolls where it fits";
        const auto &items = static_cast<DialogWindow *>(window)->Items();
        ASSERT_EQ(items.size(), t.controls.size());
        for (std::size_t i = 0; i < t.controls.size(); ++i) {
            const DialogControl &control = t.controls[i];
            QWidget *widget = items[i].widget;
            SCOPED_TRACE(control.text.isEmpty() ? std::to_string(control.id)
                                                : control.text.toStdString());
            // A control its dialog hides until it has something to show (the
            // preview's notices) takes no room.
            if (widget->isHidden() && QByteArrayView(c.name) == "preview")
                continue;
            const QRect rect = InWindow(widget, page);
            EXPECT_TRUE(widget->isVisible());
            EXPECT_TRUE(page->rect().contains(rect))
                << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height()
                << " in " << page->width() << "x" << page->height();
            if (unmoved && !(t.style & WS_THICKFRAME) &&
                control.kind != ControlKind::ComboDropDownList) {
                // Where the template places it (the data dialog moves its year
                // fields one pixel left itself).
                const QRect expected = DialogUnitsToPixels(
                    QRect(control.x, control.y, control.cx, control.cy), dialog.BaseUnits());
                EXPECT_EQ(rect.size(), expected.size());
                EXPECT_LE((rect.topLeft() - expected.topLeft()).manhattanLength(), 1);
            }
        }
    });
}

TEST(EveryDialog, ControlsStayInsideWindowsThatFitTheScreen) {
    EnsureApplication();
    const struct {
        const char *scale, *fit; // the scale, and the child's configuration
    } configs[] = {
        {"1", "1280x1024 0 1"}, {"1", "1024x600 0 1"},   {"2", "1280x1024 0 0"},
        {"2", "1024x600 0 0"},  {"1", "1280x1024 20 0"}, {"1", "1024x600 20 0"},
    };
    QTemporaryDir dir;
    for (const auto &config : configs) {
        SCOPED_TRACE(std::string("scale ") + config.scale + ", " + config.fit);
        const QString screen = QString::fromLatin1(config.fit).section(u' ', 0, 0);
        const QStringList size = screen.split(u'x');
        const QString screens = dir.filePath(screen + QStringLiteral(".json"));
        ASSERT_TRUE(
            WriteFileBytes(screens, QStringLiteral(R"({"screens": [{"name": "essai", "x": 0, "y": 0,
            "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                                        .arg(size[0], size[1])
                                        .toUtf8()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   QStringLiteral("offscreen:configfile=") + screens);
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(config.scale));
        env.insert(QLatin1String(kChildConfig), QLatin1String(config.fit));
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
