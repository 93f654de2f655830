#pragma once

#include <QByteArray>

// In command-line mode only the program's own messages reach standard
// error: Qt's debug, information, warning and critical lines are dropped
// (a fatal one is still written before the process ends). The user who
// wants them sets QT_LOGGING_RULES, or CALVOR_DEBUG=1.

// Whether Qt's lines are kept, from the two variables' values.
bool KeepsQtMessages(const QByteArray &loggingRules, const QByteArray &calvorDebug);

// Installs the handler that drops them, unless the environment keeps them.
void QuietQtMessages();
