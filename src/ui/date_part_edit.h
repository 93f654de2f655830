#pragma once

#include "platform_widgets/edit.h"

#include <functional>

// One part of a date typed in three fields: day, month or year. Only digits
// and backspace can be typed; once the text is as long as the field's limit
// the focus moves to the next tab stop as the Tab key would; a year typed
// with one or two digits becomes a full year when the field loses the focus,
// using the two-digit-year pivot.
class CDatePartEdit : public CEdit {
public:
    // Where the field reads the pivot, each time it expands a year.
    using PivotSource = std::function<int()>;

    // The pivot used while no source is given.
    static constexpr int kDefaultPivot = 40;

    CDatePartEdit() = default;
    ~CDatePartEdit() override;

    // Called after every attachment to a window: a year field (`bYear`)
    // takes 4 characters, a day or month field 2; the field remembers its
    // dialog for the tab order.
    void SetKind(bool bYear);
    void SetPivotSource(PivotSource source);

    bool IsYear() const { return m_bYear; }

    // The full year for a year field's value: below 100 it gets 2000 added
    // when it is below the pivot and 1900 otherwise, the two compared as
    // unsigned numbers (a negative pivot counts as a very large one); from
    // 100 on it is kept.
    static unsigned ExpandYear(unsigned value, int pivot);

protected:
    bool OnChar(QChar ch) override;
    void OnAfterChar(QChar ch) override;
    void OnReflectKillFocus() override;

private:
    int Pivot() const;

    bool m_bYear = false;
    CDialog *m_pParent = nullptr;
    PivotSource m_pivot;
};
