#pragma once

// Whether a clipboard manager runs on this program's X11 display: a program
// that owns the CLIPBOARD_MANAGER selection there. Such a manager takes the
// clipboard's content from a program that ends (Qt hands it over as its
// application ends), so no keeper of our own is needed. False on other
// platforms, without a display, or when it cannot be told.
bool ClipboardManagerRuns();
