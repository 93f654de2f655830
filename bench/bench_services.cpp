#include "bench_services.h"

int YesMessageBoxes::Show(const QString &, const QString &, unsigned) {
    return IDYES;
}

std::optional<QString> NoSettings::ReadText(const QString &, const QString &) {
    return {};
}

std::optional<int> NoSettings::ReadInt(const QString &, const QString &) {
    return {};
}

void NoSettings::WriteText(const QString &, const QString &, const QString &) {}

void NoSettings::WriteInt(const QString &, const QString &, int) {}

void NoClipboard::SetRichText(const QString &, const QByteArray &) {}

void NoShell::OpenInAssociatedProgram(const QString &) {}

std::optional<QString> NoFileDialogs::GetOpenFileName(const FileDialogRequest &) {
    return {};
}

std::optional<QString> NoFileDialogs::GetSaveFileName(const FileDialogRequest &) {
    return {};
}

AppServices BenchServices::Services() {
    return {&boxes, &clock, &settings, &clipboard, &shell, &dialogs};
}
