#pragma once

// The window side of CDialog: the Qt dialog, its controls, and the event
// plumbing that turns Qt's events and signals into commands and
// notifications. Used by the framework's own sources only.

#include "platform_widgets/dialog_template.h"
#include "platform_widgets/message_map.h"

#include <QDialog>
#include <QMargins>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QValidator>

#include <functional>
#include <optional>
#include <vector>

class CDialog;
class CEdit;
class QKeyEvent;
class QLineEdit;

// Default text limit of an edit.
constexpr int kDefaultEditLimit = 32767;

// The text limit of an edit, enforced on what the user types or pastes but
// never on text set by the program: a text longer than the limit stays
// whole, can be shortened, and cannot grow. A paste is cut to what fits.
class EditLimitValidator final : public QValidator {
    Q_OBJECT

public:
    explicit EditLimitValidator(QLineEdit *edit);

    State validate(QString &input, int &pos) const override;
    int Limit() const { return m_limit; }
    void SetLimit(int limit);

private:
    QLineEdit *m_edit;
    int m_limit = kDefaultEditLimit;
    QString m_textBefore; // the text before the change being checked
};

// The limit of a dialog's line edit (kDefaultEditLimit when it has none).
int EditTextLimit(const QLineEdit *edit);
// Sets it; 0 or less restores the default.
void SetEditTextLimit(QLineEdit *edit, int limit);

// The CEdit attached to a line edit, or null.
CEdit *AttachedEdit(const QLineEdit *edit);
void SetAttachedEdit(QLineEdit *edit, CEdit *attached);

// The list view control: a report list whose rows can be edited in place in
// the first column. The list never stores the typed text itself: the end of
// an edit is reported, and the handler decides what the row shows.
class ListViewWidget final : public QTreeWidget {
    Q_OBJECT

public:
    using Notify = std::function<void(int code, const NotifyInfo &info)>;

    ListViewWidget(unsigned style, QWidget *parent);
    void SetNotify(Notify notify) { m_notify = std::move(notify); }
    // Opens the in-place editor over the first column of `row`, when the
    // list has LVS_EDITLABELS.
    bool EditLabel(int row);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    // F2, the edit key of lists, edits the current row.
    void keyPressEvent(QKeyEvent *event) override;

private:
    class LabelDelegate;
    void EditorClosed();

    Notify m_notify;
    LabelDelegate *m_delegate;
    bool m_editable; // LVS_EDITLABELS
    int m_editedRow = -1;
    std::optional<QString> m_committedText;
};

class DialogWindow final : public QDialog {
    Q_OBJECT

public:
    DialogWindow(CDialog &owner, QWidget *parent);
    ~DialogWindow() override;

    // Creates the controls of `dialogTemplate`; false when one cannot be made.
    bool Build(const DialogTemplate &dialogTemplate);
    // The dialog base units the window was built with.
    QSize BaseUnits() const { return m_baseUnits; }
    // Stops turning events into commands, for the window's last moments.
    void StopNotifications() { m_notifying = false; }

    struct Item {
        int id;
        ControlKind kind;
        unsigned style;
        QWidget *widget;
        bool tabStop;
    };
    const std::vector<Item> &Items() const { return m_items; }
    QWidget *Control(int id) const;
    const Item *ItemOf(const QWidget *widget) const;
    bool IsTabStop(const QWidget *widget) const;

public Q_SLOTS:
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QWidget *CreateControl(const DialogControl &control);
    QSize FittingBaseUnits(const DialogTemplate &dialogTemplate) const;
    void LinkControls();
    void Notify(int id, int code, const NotifyInfo &info = NotifyInfo());
    bool FilterEditKey(QLineEdit *edit, unsigned style, QKeyEvent *event);
    void NotifyFocus(QLineEdit *edit, bool in);

    CDialog &m_owner;
    std::vector<Item> m_items;
    bool m_notifying = false;
    QLineEdit *m_mouseFocusPending = nullptr; // focused by a press not yet handled
    QSize m_baseUnits;
    QMargins m_frame; // the frame last seen around the window
};
