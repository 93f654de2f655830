#pragma once

#include "platform/message_box.h"
#include "platform/services.h"

#include <QLocale>
#include <QString>

// Who sees the message boxes.
struct MessageBoxAudience {
    // Nobody can see or answer a window (the offscreen or minimal
    // platform): a box writes "<caption>: <text>" on standard error and
    // returns its default button at once, instead of waiting for ever.
    bool nobodyAnswers = false;
    // Every text is also written on standard error that way (command-line
    // mode), so that a script sees why a run failed.
    bool echoToStandardError = false;
};

// Message boxes: the caption, the text as plain text, the icon of the flags
// (stop, question, exclamation, information) and the buttons OK or Yes and
// No, the default button OK or Yes. Escape answers No in a Yes/No box.
// Returns IDOK, IDYES or IDNO.
class QtMessageBoxService final : public IMessageBoxService {
public:
    QtMessageBoxService() = default;
    explicit QtMessageBoxService(MessageBoxAudience audience);
    int Show(const QString &caption, const QString &text, unsigned flags) override;

private:
    MessageBoxAudience m_audience;
};

// Installs Qt's own translation for `locale`, whatever its language, so
// that the standard buttons and the file dialogs speak the user's language
// (the program's own texts are French whatever it is). It replaces the one
// an earlier call installed. True when a translation for `locale` is
// installed (by this call or an earlier one); false when Qt has none for
// the locale's language.
bool LoadFrameworkTranslations(const QLocale &locale = QLocale::system());

// The clipboard: the Rich Text is added under `format` and the desktop's
// other names for Rich Text, beside a copy of the data formats the clipboard
// already holds (clipboard_formats.h), so only earlier Rich Text is replaced.
class QtClipboard final : public IClipboard {
public:
    void SetRichText(const QString &format, const QByteArray &rtf) override;
};

// Opens a file in the program the desktop associates with its type.
class QtShell final : public IShell {
public:
    void OpenInAssociatedProgram(const QString &path) override;
};

// The open and save-as file dialogs, over the active window. The filters
// are offered in order, the first selected. A typed name without extension
// gets the default one, in both dialogs; with OFN_OVERWRITEPROMPT an
// existing file is only replaced after the user agrees.
class QtFileDialogs final : public IFileDialogs {
public:
    std::optional<QString> GetOpenFileName(const FileDialogRequest &request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest &request) override;
};
