#pragma once

class QIcon;

// The program's icon for its windows, set on the first window shown rather
// than at start: a command-line run that shows no window then never loads
// it (reading the pictures wakes the image plugins).
void SetApplicationIconOnFirstWindow(QIcon (*icon)());

// Ends a command-line run at once with `status`, without Qt's own teardown
// (the font database and the platform taken down, a third of a small Qt
// program's run), when nothing needs it: this process owns no clipboard
// whose content must be handed on. Standard output and error are flushed
// first. Returns (and the caller ends normally) when the clipboard is owned,
// or in a sandbox, where opening the report went through the desktop portal.
// The caller has closed and flushed every file it wrote.
void EndCommandLineRunNow(int status);
