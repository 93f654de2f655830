#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

// The kinds of control a dialog template can hold.
enum class ControlKind {
    PushButton,
    DefPushButton,     // the button pressed by Enter
    RadioButton,       // exclusive within its group
    GroupBox,          // a frame with a title; holds nothing
    Label,             // static text
    Edit,              // single-line edit, or multi-line with ES_MULTILINE
    ComboDropDownList, // a drop-down list without an edit part
    ListView,          // a report list with columns
    RichEdit,          // a rich text view made by the dialog's rich edit factory
    CheckBox,          // a two-state check box
    TreeView,          // a list of items that open to their own lines; its
                       // text is the name it gives to assistive technologies
};

// Styles of a control. Each style has its own bit, whatever the kind.
enum ControlStyle : unsigned {
    WS_GROUP = 1u << 0,   // starts a group (radio groups end at the next one)
    WS_BORDER = 1u << 1,  // edit or list with a frame
    WS_VSCROLL = 1u << 2, // vertical scroll bar
    SS_LEFT = 0,          // label: left-aligned, wrapping (the default)
    SS_CENTER = 1u << 3,
    SS_RIGHT = 1u << 4,
    SS_LEFTNOWORDWRAP = 1u << 5, // label: left-aligned, on one line
    SS_NOPREFIX = 1u << 6,       // label: "&" shown as it is, no mnemonic
    ES_AUTOHSCROLL = 1u << 7,
    ES_AUTOVSCROLL = 1u << 8,
    ES_NUMBER = 1u << 9, // only digits can be typed
    ES_READONLY = 1u << 10,
    ES_MULTILINE = 1u << 11,
    CBS_SORT = 1u << 12,         // list items kept in alphabetical order
    LVS_EDITLABELS = 1u << 13,   // the first column can be edited in place
    LVS_NOSORTHEADER = 1u << 14, // column headings cannot be clicked
    LVS_SINGLESEL = 1u << 15,    // one row selected at most
};

// The id of a control nothing refers to.
inline constexpr int IDC_STATIC = -1;

// One control: its id (IDC_STATIC for controls nothing refers to), kind, text,
// position and size in dialog units, styles, for a drop-down list the items
// it gets when the window is created, and the part of its label's subject
// the control holds when several share one label (a date's "jour", "mois"
// and "année"): a screen reader names the control by its label and part.
struct DialogControl {
    int id;
    ControlKind kind;
    QString text;
    int x, y, cx, cy;
    unsigned style = 0;
    QStringList items = {};
    QString part = {};
};

// Styles of a dialog window. Every window has a caption with its title, a
// system menu and a close button; the rest is asked for.
enum DialogStyle : unsigned {
    DS_CENTER = 1u << 0,       // centred on the screen when it opens
    WS_THICKFRAME = 1u << 1,   // resizable frame
    WS_MAXIMIZEBOX = 1u << 2,  // a maximise button in the caption
    WS_EX_APPWINDOW = 1u << 3, // a button of its own on the task bar
    WS_MINIMIZEBOX = 1u << 4,  // a minimise button in the caption
};

// A dialog described as data: caption, client size in dialog units, window
// styles, and the controls in tab order.
struct DialogTemplate {
    int id;
    QString caption;
    int cx, cy;
    unsigned style = 0;
    std::vector<DialogControl> controls;
};

// The window flags of a dialog with `style`: a dialog, or a window of its
// own with WS_EX_APPWINDOW; the caption's buttons are exactly those the
// style asks for, so that the desktop shows no minimise or maximise button
// the template does not have.
Qt::WindowFlags DialogWindowFlags(unsigned style);

// a * b / c rounded to the nearest integer, halves away from zero, computed
// without overflow; -1 when c is 0.
int MulDiv(int a, int b, int c);

// The dialog base units of a font: the average width of the letters A-Z and
// a-z, rounded, and the font's height.
QSize DialogBaseUnits(const QFontMetrics &metrics);
// The same for a font on the screen, measured once for the last font asked.
QSize DialogBaseUnits(const QFont &font);

// A rectangle in dialog units converted to pixels: x and width in quarters
// of the base width, y and height in eighths of the base height.
QRect DialogUnitsToPixels(const QRect &units, QSize baseUnits);
QRect DialogUnitsToPixels(const QRect &units, const QFontMetrics &metrics);

// The smallest base width at least `baseWidth` with which `units` dialog
// units give at least `pixels` pixels.
int BaseWidthForPixels(int units, int pixels, int baseWidth);
