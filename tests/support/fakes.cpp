#include "support/fakes.h"

#include <QFile>

#include <csignal>
#include <sys/resource.h>

LocalDate FixedClock::Today() const {
    return m_today;
}

int RecordingMessageBoxes::Show(const QString &caption, const QString &text, unsigned flags) {
    m_boxes.push_back({caption, text, flags});
    if (m_answers.empty())
        return m_defaultAnswer;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QStringList RecordingMessageBoxes::Texts() const {
    QStringList out;
    for (const Box &b : m_boxes)
        out.append(b.text);
    return out;
}

int FakeDialogItems::GetDlgItemInt(int id, bool *ok, bool isSigned) const {
    return ParseDlgItemInt(texts.value(id), ok, isSigned);
}

QString FakeDialogItems::GetDlgItemText(int id) const {
    return texts.value(id);
}

void FakeDialogItems::SetDlgItemText(int id, const QString &text) {
    texts[id] = text;
    setOrder.push_back(id);
}

namespace {
QString Key(const QString &section, const QString &name) {
    return section + u'/' + name;
}
} // namespace

std::optional<QString> MemorySettingsStore::ReadText(const QString &section, const QString &name) {
    const auto it = texts.constFind(Key(section, name));
    if (it == texts.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<int> MemorySettingsStore::ReadInt(const QString &section, const QString &name) {
    const auto it = ints.constFind(Key(section, name));
    if (it == ints.constEnd())
        return std::nullopt;
    return *it;
}

void MemorySettingsStore::WriteText(const QString &section, const QString &name,
                                    const QString &value) {
    texts[Key(section, name)] = value;
    ++writes;
}

void MemorySettingsStore::WriteInt(const QString &section, const QString &name, int value) {
    ints[Key(section, name)] = value;
    ++writes;
}

std::optional<QString> ScriptedFileDialogs::GetOpenFileName(const FileDialogRequest &request) {
    requests.push_back(request);
    if (answers.empty())
        return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> ScriptedFileDialogs::GetSaveFileName(const FileDialogRequest &request) {
    return GetOpenFileName(request);
}

QByteArray ReadFileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFileBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool WithFileSizeLimit(unsigned long bytes, const std::function<bool()> &write) {
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit lowered = old;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
    const bool result = write();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}
