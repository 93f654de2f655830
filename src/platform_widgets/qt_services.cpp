#include "platform_widgets/qt_services.h"

#include "platform_widgets/clipboard_formats.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/display.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QTranslator>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

QtMessageBoxService::QtMessageBoxService(MessageBoxAudience audience)
    : m_audience(audience) {}

int QtMessageBoxService::Show(const QString &caption, const QString &text, unsigned flags) {
    const bool yesNo = (flags & MB_TYPEMASK) == MB_YESNO;
    // Yes, No or Cancel: where nobody answers, Cancel changes nothing.
    const bool yesNoCancel = (flags & MB_TYPEMASK) == MB_YESNOCANCEL;
    if (m_audience.nobodyAnswers || m_audience.echoToStandardError)
        WriteStandardErrorLine(caption + QStringLiteral(": ") + text);
    if (m_audience.nobodyAnswers)
        return yesNoCancel ? IDCANCEL : yesNo ? IDYES : IDOK;

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(IconOf(flags));
    box.setWindowIcon(CDialog::ApplicationIcon());
    if (yesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return yesNoCancel ? IDCANCEL : yesNo ? IDNO : IDOK;
    }
}

bool LoadFrameworkTranslations(const QLocale &locale) {
    // One translation at a time: the last one asked for replaces the other.
    // It belongs to the application object and goes with it.
    static QPointer<QTranslator> installed;
    static QString installedName;
    if (!QCoreApplication::instance())
        return false;
    if (installed && installedName == locale.name())
        return true;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    // Tries the locale's names from the most precise (pt_BR) to the
    // language alone (pt).
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    installed = translator.release();
    installedName = locale.name();
    QCoreApplication::installTranslator(installed);
    return true;
}

void QtClipboard::SetRichText(const QString &format, const QByteArray &rtf) {
    QClipboard *clipboard = QGuiApplication::clipboard();
    auto *data = new QMimeData;
    // What the previous owner offers as data, within what may be kept beside
    // the Rich Text under its two names (clipboard_formats.h).
    if (const QMimeData *current = clipboard->mimeData())
        CopyKeptClipboardFormats(*current, *data,
                                 std::max<qsizetype>(0, kMaxKeptClipboardBytes - 2 * rtf.size()));
    data->setData(format, rtf);
    data->setData(QStringLiteral("text/richtext"), rtf);
#ifdef Q_OS_WIN
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\""), rtf);
#endif
    clipboard->setMimeData(data);
}

void QtShell::OpenInAssociatedProgram(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace {

// Runs a file dialog on the request's filters (the first one selected) and
// default extension, which the dialog itself adds to a typed name without
// one: an open dialog then finds "exemple bail.clv" when "exemple bail" is
// typed, and a save dialog asks before replacing the completed name.
std::optional<QString> RunFileDialog(const FileDialogRequest &request,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave && !(request.flags & OFN_OVERWRITEPROMPT))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (!request.filters.isEmpty())
        dialog.selectNameFilter(request.filters.front());
    dialog.setDefaultSuffix(request.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().front();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace

std::optional<QString> QtFileDialogs::GetOpenFileName(const FileDialogRequest &request) {
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtFileDialogs::GetSaveFileName(const FileDialogRequest &request) {
    return RunFileDialog(request, QFileDialog::AcceptSave);
}
