#pragma once

#include "platform/dialog_items.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "platform_widgets/dialog_template.h"
#include "platform_widgets/message_map.h"

#include <QFont>
#include <QIcon>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class CDataExchange;
class DialogWindow;
class QEventLoop;
class QRadioButton;
class QWidget;

// The process-wide quit request. Posting it ends every running modal loop
// with -1 (a dialog that has already been given its end value keeps it) and
// makes every later DoModal return -1 at once, until it is cleared.
void PostQuitMessage(int exitCode);
bool IsQuitPending();
int QuitExitCode();
void ClearQuitRequest();

// Selects the whole text of an edit control given the focus by the dialog
// (a read-only text view is left as it is).
void SelectAllText(QWidget *control);

// The size type given to OnSize.
enum SizeType : int { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// Where a window is when it is not maximised, and whether it is.
struct DialogPlacement {
    QRect normalGeometry;
    bool maximized = false;
};

// A modal dialog built from a template. The object lives as long as its
// owner wants; each DoModal creates a new window from the template, runs it
// and destroys it, so widget pointers obtained from GetDlgItem are valid only
// while DoModal runs.
//
// A derived dialog passes its template to the constructor, overrides the
// virtual operations it needs, and declares its message table as a static
// member (`static const MessageMapEntry<CMyDlg> kMessageMap[];`, so that it
// can name private handlers) with an OnCommand override. Both are defined in
// the .cpp, the table first so that its size is known where it is used:
//
//   const MessageMapEntry<CMyDlg> CMyDlg::kMessageMap[] = {
//       {1000, BN_CLICKED, &CMyDlg::OnStart},
//       {1134, EN_CHANGE, &CMyDlg::UpdateValue},
//       {1086, LVN_ENDLABELEDIT, &CMyDlg::OnEndLabelEdit}, // takes NotifyInfo
//   };
//   bool CMyDlg::OnCommand(int id, int code, const NotifyInfo &info) {
//       return DispatchMessageMap(*this, kMessageMap, id, code, info);
//   }
//
// What the table does not hold goes to CDialog::OnCommand: the clicks of
// 1 (IDOK) and 2 (IDCANCEL) call the virtual OnOK and OnCancel.
class CDialog : public IDialogItems, public IWindowGeometry {
public:
    // Makes the widget of a RichEdit control; null when it cannot.
    using RichEditFactory = std::function<QWidget *(QWidget *parent, const DialogControl &control)>;

    CDialog(DialogTemplate dialogTemplate, IMessageBoxService &messageBoxes);
    ~CDialog() override;
    CDialog(const CDialog &) = delete;
    CDialog &operator=(const CDialog &) = delete;

    // Creates the window, runs it modally and destroys it. Returns the value
    // given to EndDialog, or -1 when the window cannot be created or a quit
    // request is pending.
    int DoModal();
    // Ends the modal run with `result` once the current handler returns.
    void EndDialog(int result);
    // Runs the data exchange: `saveAndValidate` true moves the controls'
    // contents into the data and checks them, false fills the controls.
    // False when a check failed (its message has been shown).
    bool UpdateData(bool saveAndValidate = true);

    // The control with `id`, or null (also when no window exists).
    QWidget *GetDlgItem(int id) const;
    // The id of a control of this dialog, or 0.
    int GetDlgCtrlID(const QWidget *control) const;
    // Gives the focus to `control`; an edit gets its whole text selected.
    void GotoDlgCtrl(QWidget *control);
    // The tab stop after `from` (before it when `previous`) in template
    // order, wrapping around, skipping hidden and disabled controls; null
    // when there is none. From null: the first tab stop (or the last).
    QWidget *GetNextDlgTabItem(QWidget *from, bool previous = false) const;
    // Focuses the tab stop after `from` as the Tab key would.
    void MoveFocusToNextTabStop(QWidget *from);
    // The dialog's window while DoModal runs, else null.
    QWidget *Window() const;
    QRect GetClientRect() const;
    bool IsZoomed() const;

    // IDialogItems: texts and integers of the controls by id.
    int GetDlgItemInt(int id, bool *ok, bool isSigned) const override;
    QString GetDlgItemText(int id) const override;
    void SetDlgItemText(int id, const QString &text) override;
    void SetDlgItemInt(int id, int value, bool isSigned);

    // IWindowGeometry: the window's frame in screen coordinates.
    QRect WindowRect() const override;
    void MoveTo(QPoint topLeft) override;

    // The window's normal geometry and maximised state; setting it before
    // the window is shown makes it open that way.
    DialogPlacement GetWindowPlacement() const;
    void SetWindowPlacement(const DialogPlacement &placement);

    // The radio buttons of the group that starts with control `firstId`, up
    // to the next control that starts a group.
    std::vector<QRadioButton *> GetRadioGroup(int firstId) const;

    const DialogTemplate &Template() const { return m_template; }
    IMessageBoxService &MessageBoxes() const { return *m_messageBoxes; }

    // The program's icon, in its 16 x 16 and 32 x 32 pictures: that of every
    // dialog window and message box, and of the application.
    static QIcon ApplicationIcon();
    // The maker of RichEdit controls; without it such dialogs cannot open.
    static void SetRichEditFactory(RichEditFactory factory);
    // The font of every dialog: the desktop's user-interface font at the
    // size the user chose. Dialog units are measured with it.
    static QFont DialogFont();
    // The dialog base units of the current window (null without one): those
    // of the dialog font, wider where a control of one line of text would
    // otherwise not show it whole.
    QSize BaseUnits() const;

protected:
    // After the window and its controls exist, before it is shown. The base
    // fills the controls (UpdateData(false)). True gives the focus to the
    // first tab stop.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange &dx);
    // Command 1: the base saves the data and ends with IDOK when it passes.
    virtual void OnOK();
    // Command 2 (also Escape and the close box): the base ends with IDCANCEL.
    virtual void OnCancel();
    // A command or notification from control `id`. The base sends the
    // clicks of 1 and 2 to OnOK and OnCancel. True when handled.
    virtual bool OnCommand(int id, int code, const NotifyInfo &info);
    // The window's client area was resized (`type` is a SizeType).
    virtual void OnSize(int type, int cx, int cy);
    // The window was painted.
    virtual void OnPaint();
    // The smallest size the user can drag the window's frame to.
    virtual void OnGetMinMaxInfo(QSize &minTrackSize);
    // Asks OnGetMinMaxInfo again, for a minimum that follows the controls'
    // sizes (never more than the screen's free area).
    void ApplyMinimumSize();

    // Looks (id, code) up in a message table and calls its handler; falls
    // back to the base OnCommand when the table has no such line.
    template<class T, std::size_t N>
    static bool DispatchMessageMap(T &dialog, const MessageMapEntry<T> (&map)[N], int id, int code,
                                   const NotifyInfo &info);

private:
    friend class DialogWindow;

    void DestroyWindow();
    void CenterWindow();
    void FitToScreen();
    // The desktop has framed the window, or changed its frame: the sizes
    // that count the frame are applied again, and a window still where it
    // was centred is centred with its real frame.
    void OnFrameChanged();
    void SendCommand(int id, int code, const NotifyInfo &info);
    static QWidget *CreateRichEdit(QWidget *parent, const DialogControl &control);

    DialogTemplate m_template;
    IMessageBoxService *m_messageBoxes;
    QPointer<DialogWindow> m_window;
    QEventLoop *m_loop = nullptr;
    int m_result = 0;
    bool m_ended = false;
    bool m_showMaximized = false;
    std::optional<QPoint> m_centredAt; // the frame's corner as centred
};

template<class T, std::size_t N>
bool CDialog::DispatchMessageMap(T &dialog, const MessageMapEntry<T> (&map)[N], int id, int code,
                                 const NotifyInfo &info) {
    for (const MessageMapEntry<T> &entry : map) {
        if (entry.id != id || entry.code != code)
            continue;
        if (entry.command)
            (dialog.*entry.command)();
        else if (entry.notify)
            (dialog.*entry.notify)(info);
        return true;
    }
    return dialog.CDialog::OnCommand(id, code, info);
}
