#pragma once

// Services for the benchmarks that run the application object in-process:
// every question answered Yes, nothing kept, nothing exported.

#include "app/revision_app.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/services.h"

class YesMessageBoxes final : public IMessageBoxService {
public:
    int Show(const QString &caption, const QString &text, unsigned flags) override;
};

class NoSettings final : public ISettingsStore {
public:
    std::optional<QString> ReadText(const QString &section, const QString &name) override;
    std::optional<int> ReadInt(const QString &section, const QString &name) override;
    void WriteText(const QString &section, const QString &name, const QString &value) override;
    void WriteInt(const QString &section, const QString &name, int value) override;
};

class NoClipboard final : public IClipboard {
public:
    void SetRichText(const QString &format, const QByteArray &rtf) override;
};

class NoShell final : public IShell {
public:
    void OpenInAssociatedProgram(const QString &path) override;
};

class NoFileDialogs final : public IFileDialogs {
public:
    std::optional<QString> GetOpenFileName(const FileDialogRequest &request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest &request) override;
};

// Every service of an application object: the ones above and the clock.
struct BenchServices {
    YesMessageBoxes boxes;
    SystemClock clock;
    NoSettings settings;
    NoClipboard clipboard;
    NoShell shell;
    NoFileDialogs dialogs;

    AppServices Services();
};
