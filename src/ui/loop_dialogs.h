#pragma once

#include "app/revision_app.h"

class QWidget;
struct DialogControl;

// The dialogs of the loop, in the order they are built: the main menu (100),
// the calculation data dialog (101) and the result preview (134).
CRevisionApp::LoopDialogs CreateLoopDialogs(CRevisionApp &app);

// The control made for a dialog's RichEdit: a rich text view, read-only when
// the control says so, with a frame and a vertical scroll bar (shown while
// needed) as its styles ask.
QWidget *CreateRichTextControl(QWidget *parent, const DialogControl &control);
