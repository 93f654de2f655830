#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// Services the program asks of its platform, each behind a small interface
// so that tests replace them. The real backends live with the widgets.

// The clipboard: adds Rich Text, under the clipboard format `format`, beside
// whatever other formats it holds.
class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual void SetRichText(const QString &format, const QByteArray &rtf) = 0;
};

// The desktop shell: opens a file in the program associated with its type.
class IShell {
public:
    virtual ~IShell() = default;
    virtual void OpenInAssociatedProgram(const QString &path) = 0;
};

// A file-dialog request: the filter's choices ("Calvors (*.clv)", ...), the
// default extension without dot, and the flags of the original dialogs.
struct FileDialogRequest {
    QStringList filters;
    QString defaultExtension;
    unsigned flags = 0;
};

enum FileDialogFlags : unsigned {
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_PATHMUSTEXIST = 0x800,
    OFN_FILEMUSTEXIST = 0x1000,
    OFN_EXPLORER = 0x80000,
};

// The open and save-as dialogs: the chosen full path, or nothing on cancel.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual std::optional<QString> GetOpenFileName(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> GetSaveFileName(const FileDialogRequest &request) = 0;
};

// The per-user settings store: integer and text values in named sections.
// Reads give nothing for a missing value; failures stay silent.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual std::optional<QString> ReadText(const QString &section, const QString &name) = 0;
    virtual std::optional<int> ReadInt(const QString &section, const QString &name) = 0;
    virtual void WriteText(const QString &section, const QString &name, const QString &value) = 0;
    virtual void WriteInt(const QString &section, const QString &name, int value) = 0;
    // Removes what a write killed half-way left behind (nothing by default).
    virtual void RemoveLeftovers() {}
};

// A settings store that can write several values of one section in one go:
// one lock, one read and one comparison of the stored values instead of one
// each. The values are written as WriteInt and WriteText would, in order.
struct SettingsValue {
    QString name;
    std::variant<int, QString> value;
};
class ISettingsSectionWriter {
public:
    virtual ~ISettingsSectionWriter() = default;
    virtual void WriteSection(const QString &section, const QList<SettingsValue> &values) = 0;
};

// A top-level window whose place on the screen is remembered.
class IWindowGeometry {
public:
    virtual ~IWindowGeometry() = default;
    // The window's frame rectangle in screen coordinates.
    virtual QRect WindowRect() const = 0;
    // Moves the window's top-left corner without resizing or activating it.
    virtual void MoveTo(QPoint topLeft) = 0;
};
