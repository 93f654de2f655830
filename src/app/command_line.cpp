#include "app/command_line.h"

#include "platform/windows_api.h"

namespace {

bool IsBlankOrControl(QChar c) {
    return c.unicode() <= u' ';
}

QString SkipLeadingBlanks(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlankOrControl(text[i]))
        ++i;
    return text.mid(i);
}

} // namespace

QString CommandLineTail(const QString &rawCommandLine) {
    qsizetype i = 0;
    if (i < rawCommandLine.size() && rawCommandLine[i] == u'"') {
        ++i;
        while (i < rawCommandLine.size() && rawCommandLine[i] != u'"')
            ++i;
        if (i < rawCommandLine.size())
            ++i;
    } else {
        while (i < rawCommandLine.size() && rawCommandLine[i] > u' ')
            ++i;
    }
    return SkipLeadingBlanks(rawCommandLine.mid(i));
}

QString CommandLineFromArguments(const QStringList &arguments) {
    if (arguments.size() <= 1)
        return QString();
    return SkipLeadingBlanks(arguments.mid(1).join(u' '));
}

#ifdef Q_OS_WIN
QString RawCommandLine() {
    return QString::fromWCharArray(GetCommandLineW());
}
#endif
