#pragma once

#include <QString>

// Button and icon flags of a message box, and the buttons it returns; the
// values are those of the Windows message box the program was written for.
enum MessageBoxFlags : unsigned {
    MB_OK = 0x00,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_TYPEMASK = 0x0F,
    MB_ICONMASK = 0xF0,
};

enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Shows one message box. The caption is always the application's title; the
// flags are already complete (an icon chosen) when a backend receives them.
class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    virtual int Show(const QString &caption, const QString &text, unsigned flags) = 0;
};

// The program's message box: caption "Calvor", and the exclamation icon when
// the caller asks for none. Returns the button pressed.
int MessageBox(IMessageBoxService &service, const QString &text, unsigned flags = MB_OK);

// The same for a string-table entry shown as it stands.
int MessageBoxId(IMessageBoxService &service, unsigned stringId, unsigned flags = MB_OK);
