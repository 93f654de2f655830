#include "ui/loop_dialogs.h"

#include "platform_widgets/dialog_template.h"
#include "platform_widgets/rich_text_view.h"
#include "ui/calc_data_dlg.h"
#include "ui/main_menu_dlg.h"
#include "ui/preview_dlg.h"

CRevisionApp::LoopDialogs CreateLoopDialogs(CRevisionApp &app) {
    CRevisionApp::LoopDialogs dialogs;
    dialogs.mainMenu = std::make_unique<CMainMenuDlg>(app);
    dialogs.dataDialog = std::make_unique<CCalcDataDlg>(app);
    dialogs.preview = std::make_unique<CPreviewDlg>(app);
    return dialogs;
}

QWidget *CreateRichTextControl(QWidget *parent, const DialogControl &control) {
    auto *view = new RichTextView(parent);
    view->SetReadOnly((control.style & ES_READONLY) != 0);
    view->setFrameShape((control.style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
    // A rich edit's scroll bar shows only while the text is too long.
    view->setVerticalScrollBarPolicy((control.style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                                  : Qt::ScrollBarAlwaysOff);
    return view;
}
