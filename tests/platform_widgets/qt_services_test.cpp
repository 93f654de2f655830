#include "platform_widgets/qt_services.h"

#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace {

// Runs `act` on the next modal widget of type W once it is shown, checking
// from the event loop so that the code opening it can run meanwhile.
template<class W> void WhenModal(const std::function<void(W *)> &act) {
    auto *timer = new QTimer(qApp);
    timer->setInterval(5);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, act, tries] {
        auto *widget = qobject_cast<W *>(QApplication::activeModalWidget());
        if (!widget || !widget->isVisible()) {
            if (++*tries == 2000)
                ADD_FAILURE() << "no modal widget appeared";
            return;
        }
        timer->stop();
        timer->deleteLater();
        EXPECT_TRUE(QTest::qWaitForWindowActive(widget));
        act(widget);
    });
    timer->start();
}

// Types a name into a file dialog, in `folder`, and accepts it.
void TypeFileName(QFileDialog *dialog, const QString &folder, const QString &name) {
    dialog->setDirectory(folder);
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    static_cast<QDialog *>(dialog)->accept();
}

class QtServicesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

TEST_F(QtServicesTest, MessageBoxFlagsChooseIconsAndButtonsAndTheTextIsPlain) {
    struct Case {
        unsigned flags;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton press; // NoButton: press Escape
        int result;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok, IDOK},
        {MB_OK | MB_ICONSTOP, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::NoButton, IDOK},
        {MB_OK | MB_ICONINFORMATION, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok,
         IDOK},
        {MB_OK, QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok, IDOK},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, IDYES},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No, IDNO},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::NoButton, IDNO},
    };
    QtMessageBoxService service;
    for (const Case &c : cases) {
        WhenModal<QMessageBox>([&c](QMessageBox *box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Calvor"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->text(), QStringLiteral("<b>C:\\a & b</b>"));
            EXPECT_EQ(box->icon(), c.icon);
            EXPECT_EQ(box->standardButtons(), c.buttons);
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(c.press)->click();
        });
        // The text is shown as plain text.
        EXPECT_EQ(
            service.Show(QStringLiteral("Calvor"), QStringLiteral("<b>C:\\a & b</b>"), c.flags),
            c.result)
            << c.flags;
    }
}

TEST_F(QtServicesTest, ClipboardKeepsEveryFormatAlreadyThere) {
    QClipboard *clipboard = QGuiApplication::clipboard();
    auto *before = new QMimeData;
    before->setText(QStringLiteral("copié avant"));
    before->setHtml(QStringLiteral("<p>avant</p>"));
    clipboard->setMimeData(before);

    QtClipboard service;
    service.SetRichText(QStringLiteral("text/rtf"), QByteArray("{\\rtf1 premier}"));
    service.SetRichText(QStringLiteral("text/rtf"), QByteArray("{\\rtf1 second}"));

    const QMimeData *after = clipboard->mimeData();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->text(), QStringLiteral("copié avant"));
    EXPECT_EQ(after->html(), QStringLiteral("<p>avant</p>"));
    EXPECT_EQ(after->data(QStringLiteral("text/rtf")), QByteArray("{\\rtf1 second}"));
    EXPECT_EQ(after->data(QStringLiteral("text/richtext")), QByteArray("{\\rtf1 second}"));
}

TEST_F(QtServicesTest, DefaultExtensionIsAddedToNamesWithoutOne) {
    QTemporaryDir dir;
    for (const char *name : {"exemple bail.clv", "calcul.txt", "calcul"})
        ASSERT_TRUE(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
    const struct {
        bool open;
        const char *typed;
        const char *result;
    } cases[] = {
        {true, "exemple bail", "exemple bail.clv"}, // found with the extension
        {true, "calcul.txt", "calcul.txt"},
        {false, "nouveau", "nouveau.clv"},
        {false, "nouveau.txt", "nouveau.txt"},
    };
    const FileDialogRequest request{{QStringLiteral("Calvors (*.clv)")}, QStringLiteral("clv"), 0};
    QtFileDialogs dialogs;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        // A refusal ("file not found") would keep the dialog open: it is
        // closed and the test fails instead of waiting.
        QObject guard;
        QTimer::singleShot(3000, &guard, [] {
            ADD_FAILURE() << "refused";
            while (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        WhenModal<QFileDialog>(
            [&](QFileDialog *fd) { TypeFileName(fd, dir.path(), QLatin1String(c.typed)); });
        EXPECT_EQ(c.open ? dialogs.GetOpenFileName(request) : dialogs.GetSaveFileName(request),
                  std::optional<QString>(dir.filePath(QLatin1String(c.result))));
    }
}

TEST_F(QtServicesTest, SaveDialogCompletesTheNameAndAsksBeforeReplacing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString typed = dir.filePath(QStringLiteral("calcul"));
    const QString completed = typed + QStringLiteral(".clv");
    const FileDialogRequest request{
        {QStringLiteral("Calvors (*.clv)"), QStringLiteral("Tous les fichiers (*.*)")},
        QStringLiteral("clv"),
        OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY};
    QtFileDialogs dialogs;

    WhenModal<QFileDialog>([&](QFileDialog *fd) {
        EXPECT_EQ(fd->selectedNameFilter(), QStringLiteral("Calvors (*.clv)"));
        EXPECT_EQ(fd->nameFilters().size(), 2);
        TypeFileName(fd, dir.path(), QStringLiteral("calcul"));
    });
    EXPECT_EQ(dialogs.GetSaveFileName(request), std::optional<QString>(completed));

    QFile existing(completed);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    WhenModal<QFileDialog>([&](QFileDialog *fd) {
        WhenModal<QMessageBox>([](QMessageBox *box) {
            EXPECT_TRUE(box->text().contains(QStringLiteral("calcul.clv")));
            box->button(QMessageBox::Yes)->click();
        });
        TypeFileName(fd, dir.path(), QStringLiteral("calcul"));
    });
    EXPECT_EQ(dialogs.GetSaveFileName(request), std::optional<QString>(completed));

    WhenModal<QFileDialog>([](QFileDialog *fd) { fd->reject(); });
    EXPECT_EQ(dialogs.GetSaveFileName(request), std::nullopt);
}

TEST_F(QtServicesTest, FrameworkTranslationFollowsTheLocaleWhateverItsLanguage) {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                       QStringLiteral("/qtbase_de.qm")))
        GTEST_SKIP() << "Qt's translations are not installed";
    // The later one replaces the earlier; a locale without one has none.
    const char *cases[][3] = {{"fr_FR", "Oui", "Non"},
                              {"de_DE", "Ja", "Nein"},
                              {"fr_FR", "Oui", "Non"},
                              {"C", "Yes", "No"}};
    for (const auto &[locale, yes, no] : cases) {
        SCOPED_TRACE(locale);
        const bool translated = QLatin1String(locale) != QLatin1String("C");
        EXPECT_EQ(LoadFrameworkTranslations(QLocale(QLatin1String(locale))), translated);
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(u'&'), QString::fromUtf8(yes));
        EXPECT_EQ(box.button(QMessageBox::No)->text().remove(u'&'), QString::fromUtf8(no));
    }
}

} // namespace
