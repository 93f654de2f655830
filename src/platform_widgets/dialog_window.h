#pragma once

// The window side of CDialog: the Qt dialog, its controls, and the event
// plumbing that turns Qt's events and signals into commands and
// notifications. The controls are made in dialog_window.cpp, the events
// routed in dialog_window_events.cpp. Used by the framework's own sources
// only.

#include "platform_widgets/dialog_template.h"
#include "platform_widgets/message_map.h"

#include <QDialog>
#include <QMargins>

#include <vector>

class CDialog;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QScrollArea;

// A label's text with its mnemonic marks removed: "&&" gives "&".
QString WithoutMnemonic(const QString &text);
// Has screen readers name a new drop-down list by its accessible name, and
// not by its selection.
void MarkNamedComboBox(QComboBox *combo);

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
    // Places the controls in a client area of at most `room` and returns
    // the client size the window needs. Where the template fits, as the
    // template says. Otherwise the controls close up, across and down:
    // every position and size scaled down together, no control smaller
    // than it needs to show its text (a list or a text view, which scroll,
    // down to a few lines), none moved over another. Where even that does not
    // fit, the controls go into an area that scrolls, so that each can
    // still be reached. Can be called again with another room.
    QSize FitControls(QSize room);
    // The area that scrolls the controls, when the window needs one.
    QScrollArea *ScrollArea() const { return m_scroll; }
    // The name a screen reader gives a value label whose text has changed
    // (its subject, its part and the value it shows).
    void RenameValueLabel(QWidget *label);

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
    // Gives every control that does not show its own text the name a
    // screen reader announces: its label's text, or the window's caption,
    // with its part.
    void NameControls(const DialogTemplate &dialogTemplate);
    // The widths and heights under which a control would no longer show
    // its text.
    std::vector<int> MinimumWidths() const;
    std::vector<int> MinimumHeights() const;
    void ScrollControls();
    void Notify(int id, int code, const NotifyInfo &info = NotifyInfo());
    void NotifyFocus(QLineEdit *edit, bool in);

    CDialog &m_owner;
    std::vector<Item> m_items;
    bool m_notifying = false;
    QLineEdit *m_mouseFocusPending = nullptr; // focused by a press not yet handled
    QSize m_baseUnits;
    QMargins m_frame;                // the frame last seen around the window
    std::vector<QString> m_subjects; // by item: the accessible name's stem
    std::vector<QRect> m_natural;    // by item: the rectangle the template gives
    QSize m_naturalClient;           // the client size the template gives
    std::vector<QRect> m_applied;    // by item: the rectangle FitControls gave
    QScrollArea *m_scroll = nullptr;
    QWidget *m_content = nullptr; // what m_scroll scrolls: the controls' parent
};
