#include "app/quiet_logging.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace {

void DropAllButFatal(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type != QtFatalMsg)
        return;
    const QByteArray bytes = (message + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

bool KeepsQtMessages(const QByteArray &loggingRules, const QByteArray &calvorDebug) {
    return !loggingRules.isEmpty() || calvorDebug == "1";
}

void QuietQtMessages() {
    if (KeepsQtMessages(qgetenv("QT_LOGGING_RULES"), qgetenv("CALVOR_DEBUG")))
        return;
    qInstallMessageHandler(&DropAllButFatal);
}
