#pragma once

#include "platform/clock.h"
#include "platform/dialog_items.h"
#include "platform/message_box.h"
#include "platform/services.h"

#include <QMap>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// A clock stopped on one day.
class FixedClock final : public IClock {
public:
    explicit FixedClock(LocalDate today)
        : m_today(today) {}
    LocalDate Today() const override;
    void Set(LocalDate today) { m_today = today; }

private:
    LocalDate m_today;
};

// Records every message box and answers from a script (IDOK when the script
// is empty, or the default answer set by the test).
class RecordingMessageBoxes final : public IMessageBoxService {
public:
    struct Box {
        QString caption;
        QString text;
        unsigned flags = 0;
    };

    int Show(const QString &caption, const QString &text, unsigned flags) override;

    void Answer(int button) { m_answers.push_back(button); }
    void SetDefaultAnswer(int button) { m_defaultAnswer = button; }
    const std::vector<Box> &Boxes() const { return m_boxes; }
    QStringList Texts() const;
    void Clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<int> m_answers;
    int m_defaultAnswer = IDOK;
};

// Controls as a map from id to text.
class FakeDialogItems final : public IDialogItems {
public:
    int GetDlgItemInt(int id, bool *ok, bool isSigned) const override;
    QString GetDlgItemText(int id) const override;
    void SetDlgItemText(int id, const QString &text) override;

    QMap<int, QString> texts;
    std::vector<int> setOrder; // ids in the order their text was set
};

class MemorySettingsStore final : public ISettingsStore {
public:
    std::optional<QString> ReadText(const QString &section, const QString &name) override;
    std::optional<int> ReadInt(const QString &section, const QString &name) override;
    void WriteText(const QString &section, const QString &name, const QString &value) override;
    void WriteInt(const QString &section, const QString &name, int value) override;

    QMap<QString, QString> texts; // "section/name" -> text
    QMap<QString, int> ints;
    int writes = 0;
};

class RecordingClipboard final : public IClipboard {
public:
    void SetRichText(const QString &format, const QByteArray &rtf) override {
        formats.push_back(format);
        calls.push_back(rtf);
    }
    std::vector<QString> formats;
    std::vector<QByteArray> calls;
};

class RecordingShell final : public IShell {
public:
    void OpenInAssociatedProgram(const QString &path) override { opened.push_back(path); }
    std::vector<QString> opened;
};

// Answers file dialogs from a script: each answer a path or a cancel.
class ScriptedFileDialogs final : public IFileDialogs {
public:
    std::optional<QString> GetOpenFileName(const FileDialogRequest &request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest &request) override;

    std::deque<std::optional<QString>> answers;
    std::vector<FileDialogRequest> requests;
};

// Whole-file helpers for tests: an unreadable file reads as empty.
QByteArray ReadFileBytes(const QString &path);
bool WriteFileBytes(const QString &path, const QByteArray &bytes);

// Runs `write` with the process's file size capped at `bytes` (SIGXFSZ
// ignored), as a full disk would stop it, and returns its result.
bool WithFileSizeLimit(unsigned long bytes, const std::function<bool()> &write);

// Every platform service of an application object, as fakes.
struct FakeServices {
    RecordingMessageBoxes boxes;
    FixedClock clock{LocalDate{2026, 12, 8}};
    MemorySettingsStore settings;
    RecordingClipboard clipboard;
    RecordingShell shell;
    ScriptedFileDialogs files;

    // The services in the order the application object takes them.
    template<class Services> Services As() {
        return Services{&boxes, &clock, &settings, &clipboard, &shell, &files};
    }
};
