#pragma once

#include <QString>

// Notification codes a control sends to its dialog with its command id; the
// values are those of the Windows controls the program was written for.
enum NotificationCode : int {
    BN_CLICKED = 0,          // button clicked (also Enter, Escape, close box)
    CBN_SELCHANGE = 1,       // the user chose another item of a drop-down list
    EN_SETFOCUS = 0x100,     // an edit received the focus
    EN_KILLFOCUS = 0x200,    // an edit lost the focus
    EN_CHANGE = 0x300,       // an edit's text changed (typed or set)
    NM_CLICK = -2,           // a click in a list view
    LVN_ENDLABELEDIT = -106, // in-place editing of a list view row ended
};

// Details that come with a list view notification.
struct NotifyInfo {
    int item = -1;        // the row clicked or edited, -1 for none
    bool hasText = false; // LVN_ENDLABELEDIT: false when the edit was cancelled
    QString text;         // LVN_ENDLABELEDIT: the text typed
};

// One line of a dialog class's message table: a command id and a
// notification code, and the handler that receives them. Handlers take no
// argument, or the notification's details.
template<class T> struct MessageMapEntry {
    using CommandHandler = void (T::*)();
    using NotifyHandler = void (T::*)(const NotifyInfo &);

    constexpr MessageMapEntry(int aId, int aCode, CommandHandler handler)
        : id(aId)
        , code(aCode)
        , command(handler) {}
    constexpr MessageMapEntry(int aId, int aCode, NotifyHandler handler)
        : id(aId)
        , code(aCode)
        , notify(handler) {}

    int id;
    int code;
    CommandHandler command = nullptr;
    NotifyHandler notify = nullptr;
};
