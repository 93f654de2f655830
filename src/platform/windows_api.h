#pragma once

// The Windows API, for the few source files that call it. Include it in
// source files only, after the program's own headers: its macros
// (MessageBox, MB_OK, IDOK, PostQuitMessage) would clash with the program's
// own names.
#include <QtGlobal>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
