#include "platform_widgets/qt_services.h"

#include "platform/string_table.h"
#include "platform_widgets/dialog.h"
#include "platform_widgets/display.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTranslator>
#include <QUrl>

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

QString FilterText(const FileDialogRequest &request) {
    return request.filters.join(QStringLiteral(";;"));
}

QString FirstFilter(const FileDialogRequest &request) {
    return request.filters.isEmpty() ? QString() : request.filters.front();
}

} // namespace

QtMessageBoxService::QtMessageBoxService(MessageBoxAudience audience)
    : m_audience(audience) {}

int QtMessageBoxService::Show(const QString &caption, const QString &text, unsigned flags) {
    const bool yesNo = (flags & MB_TYPEMASK) == MB_YESNO;
    if (m_audience.nobodyAnswers || m_audience.echoToStandardError)
        WriteStandardErrorLine(caption + QStringLiteral(": ") + text);
    if (m_audience.nobodyAnswers)
        return yesNo ? IDYES : IDOK;

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(IconOf(flags));
    if (!CDialog::ApplicationIcon().isNull())
        box.setWindowIcon(CDialog::ApplicationIcon());
    if (yesNo) {
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
    default:
        return yesNo ? IDNO : IDOK;
    }
}

bool LoadFrameworkTranslations(const QLocale &locale) {
    static bool installed = false;
    if (locale.language() != QLocale::French || !QCoreApplication::instance())
        return false;
    if (installed)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = true;
    return true;
}

void QtClipboard::SetRichText(const QByteArray &rtf) {
    QClipboard *clipboard = QGuiApplication::clipboard();
    auto *data = new QMimeData;
    if (const QMimeData *current = clipboard->mimeData()) {
        for (const QString &format : current->formats())
            data->setData(format, current->data(format));
        // Images and colours are held as values rather than bytes.
        if (current->hasImage())
            data->setImageData(current->imageData());
        if (current->hasColor())
            data->setColorData(current->colorData());
    }
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("text/richtext"), rtf);
#ifdef Q_OS_WIN
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\""), rtf);
#endif
    clipboard->setMimeData(data);
}

void QtShell::OpenInAssociatedProgram(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::optional<QString> QtFileDialogs::GetOpenFileName(const FileDialogRequest &request) {
    QString selected = FirstFilter(request);
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                      QString(), FilterText(request), &selected);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtFileDialogs::GetSaveFileName(const FileDialogRequest &request) {
    QString start;
    for (;;) {
        QString selected = FirstFilter(request);
        QFileDialog::Options options;
        if (!(request.flags & OFN_OVERWRITEPROMPT))
            options |= QFileDialog::DontConfirmOverwrite;
        const QString typed =
            QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), start,
                                         FilterText(request), &selected, options);
        if (typed.isEmpty())
            return std::nullopt;
        const QString path = AppendDefaultExtension(typed, request.defaultExtension);
        // The dialog asked about the name as typed; a name completed with the
        // extension is asked about here.
        if (path == typed || !(request.flags & OFN_OVERWRITEPROMPT) || !QFileInfo::exists(path))
            return path;
        const QString question =
            QCoreApplication::translate("QFileDialog",
                                        "%1 already exists.\nDo you want to replace it?")
                .arg(QFileInfo(path).fileName());
        QMessageBox box(QMessageBox::Warning, LoadString(IDS_APP_TITLE), question,
                        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        box.exec();
        if (box.standardButton(box.clickedButton()) == QMessageBox::Yes)
            return path;
        start = path;
    }
}

QString AppendDefaultExtension(const QString &path, const QString &extension) {
    if (extension.isEmpty() || path.isEmpty())
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.contains(u'.'))
        return path;
    return path + u'.' + extension;
}
