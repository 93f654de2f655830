#pragma once

#include <QString>

class CDialog;
class CEdit;
class CListCtrl;
class QWidget;

// One run of a dialog's data exchange: its direction, its dialog, the
// control being exchanged, and whether a check has failed. Once failed,
// every DDX_ and DDV_ routine does nothing and returns false, so an
// exchange written as a plain sequence of calls stops at the first failure;
// code between the calls tests Failed() or the routines' results.
class CDataExchange {
public:
    CDataExchange(CDialog *dialog, bool saveAndValidate);

    // Names the control that the following checks are about; an edit's text
    // is selected when a check on it fails. Returns the control, or null.
    QWidget *PrepareCtrl(int id);
    QWidget *PrepareEditCtrl(int id);
    // Marks the exchange failed and gives the focus to the prepared control.
    void Fail();
    bool Failed() const { return m_bFailed; }
    QWidget *LastControl() const { return m_lastControl; }
    bool LastControlIsEdit() const { return m_bEditLastControl; }

    bool m_bSaveAndValidate; // true: controls to data, with checks
    CDialog *m_pDlgWnd;

private:
    QWidget *m_lastControl = nullptr;
    bool m_bEditLastControl = false;
    bool m_bFailed = false;
};

// Edit `id` and an unsigned number: blanks and tabs around the digits are
// allowed; anything else, the empty text and values beyond 32 bits are
// refused with "Veuillez entrer un entier positif.".
bool DDX_Text(CDataExchange &dx, int id, unsigned &value);
// Edit `id` and a signed number (an optional sign before the digits).
bool DDX_Text(CDataExchange &dx, int id, int &value);
// Edit `id` and its whole text.
bool DDX_Text(CDataExchange &dx, int id, QString &value);

// Range checks of the value just exchanged, when saving: "Tapez un nombre
// entier compris entre %1 et %2.".
bool DDV_MinMaxUInt(CDataExchange &dx, unsigned value, unsigned minValue, unsigned maxValue);
bool DDV_MinMaxInt(CDataExchange &dx, int value, int minValue, int maxValue);
// Length check of the text just exchanged, when saving: "Tapez %1
// caractères au maximum.". When it does not fail (always when loading) the
// edit's text limit becomes `maxChars`.
bool DDV_MaxChars(CDataExchange &dx, const QString &value, int maxChars);

// The radio group starting at `firstId` and the position of its checked
// button: -1 when none is checked; loading a value outside the group clears
// every button.
bool DDX_Radio(CDataExchange &dx, int firstId, int &value);
// Check box `id` and whether it is checked.
bool DDX_Check(CDataExchange &dx, int id, bool &checked);
// Drop-down list `id` and the index of its selection (-1 for none).
bool DDX_CBIndex(CDataExchange &dx, int id, int &index);

// Attaches a control class to control `id` when it is not attached yet.
bool DDX_Control(CDataExchange &dx, int id, CEdit &control);
bool DDX_Control(CDataExchange &dx, int id, CListCtrl &control);
