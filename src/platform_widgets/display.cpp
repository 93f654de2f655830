#include "platform_widgets/display.h"

#include <QtGlobal>

#include <cstdio>

DisplayEnvironment DisplayEnvironment::Current() {
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY")};
}

DisplayChoice ChooseDisplay(const DisplayEnvironment &environment, bool commandLineMode) {
    DisplayChoice choice;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (!environment.qpaPlatform.isEmpty() || !environment.waylandDisplay.isEmpty())
        return choice;
    if (environment.x11Display.isEmpty()) {
        if (commandLineMode)
            choice.platform = "offscreen";
        else
            choice.unavailable = true;
        return choice;
    }
    choice.platform = "xcb;offscreen";
    choice.checkAfterStart = !commandLineMode;
#else
    Q_UNUSED(environment);
    Q_UNUSED(commandLineMode);
#endif
    return choice;
}

bool IsWindowless(const QString &platformName) {
    return platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal");
}

QString NoDisplayText() {
    return QStringLiteral("Calvor: aucun écran n'est disponible pour afficher les fenêtres du "
                          "programme ; donnez-lui le chemin d'un calcul (.clv) pour le calculer "
                          "sans fenêtre.");
}

void WriteStandardErrorLine(const QString &line) {
    const QByteArray bytes = (line + u'\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}
