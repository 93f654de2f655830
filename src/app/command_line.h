#pragma once

#include <QString>
#include <QStringList>

// The document path given on the command line, or an empty text when none.
//
// On Windows the program receives one raw command line: the path is the text
// after the program's name (which may be in double quotes) and the blanks and
// control characters that follow it, unchanged to the end, quotes and
// trailing blanks included.
QString CommandLineTail(const QString &rawCommandLine);

// On other systems the shell has already split the line into arguments and
// removed the quotes: the arguments after the program's name, joined with
// single spaces, give the path, so an unquoted path with blanks opens; leading
// blanks and control characters are skipped as on Windows.
QString CommandLineFromArguments(const QStringList &arguments);

#ifdef Q_OS_WIN
// The process's raw command line, as Windows keeps it.
QString RawCommandLine();
#endif
