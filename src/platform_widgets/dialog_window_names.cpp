#include "platform_widgets/dialog_window.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

namespace {

// Marks the drop-down lists of dialogs, which the factory below serves.
constexpr char kNamedCombo[] = "calvorNamedCombo";

// A drop-down list of a dialog as a screen reader sees it: named by its
// accessible name, its selection as its value. (Qt's own interface names a
// drop-down list by its selection on Linux, so that "T 1" is all a reader
// announces.)
class NamedComboAccessible final : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox *combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        const auto *combo = static_cast<const QComboBox *>(widget());
        if (t == QAccessible::Name && !combo->accessibleName().isEmpty())
            return combo->accessibleName();
        if (t == QAccessible::Name || t == QAccessible::Value)
            return combo->currentText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *DialogAccessibleFactory(const QString &className, QObject *object) {
    if (className != QLatin1String("QComboBox") || !object->property(kNamedCombo).toBool())
        return nullptr;
    return new NamedComboAccessible(static_cast<QComboBox *>(object));
}

} // namespace

void MarkNamedComboBox(QComboBox *combo) {
    // Before anything asks for the list's interface, which is made once.
    static const bool installed = [] {
        QAccessible::installFactory(DialogAccessibleFactory);
        return true;
    }();
    (void)installed;
    combo->setProperty(kNamedCombo, true);
}

namespace {

// Controls whose own text says what they are (buttons, group boxes and
// any kind that has a title): Qt names them by it. The text of an edit, a
// list or a text view is what it holds, not its name.
bool ShowsOwnText(const DialogControl &control) {
    switch (control.kind) {
    case ControlKind::Label:
    case ControlKind::Edit:
    case ControlKind::ComboDropDownList:
    case ControlKind::ListView:
    case ControlKind::RichEdit:
        return false;
    default:
        return !control.text.isEmpty();
    }
}

// A label's text as the stem of a name: without mnemonic, blanks and the
// closing colon ("&Signature du bail:" gives "Signature du bail").
QString LabelSubject(const DialogControl &label) {
    QString text = (label.style & SS_NOPREFIX) ? label.text : WithoutMnemonic(label.text);
    text = text.trimmed();
    while (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed();
}

QString WithPart(const QString &subject, const QString &part) {
    if (part.isEmpty())
        return subject;
    if (subject.isEmpty())
        return part;
    return subject + QStringLiteral(", ") + part;
}

} // namespace

void DialogWindow::NameControls(const DialogTemplate &dialogTemplate) {
    // A control that shows no text of its own is named after the label
    // before it in the template: the label of a row names every field of
    // the row, each with its part. A control with a text of its own
    // between them (a button, a group box) ends the search; without a
    // label, the control is named after the window's caption (a list or a
    // text view that fills the window).
    m_subjects.assign(m_items.size(), QString());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const DialogControl &control = dialogTemplate.controls[i];
        const bool valueLabel = control.kind == ControlKind::Label && !control.part.isEmpty();
        if (ShowsOwnText(control) || (control.kind == ControlKind::Label && !valueLabel))
            continue;
        QString subject = dialogTemplate.caption;
        for (std::size_t j = i; j-- > 0;) {
            const DialogControl &before = dialogTemplate.controls[j];
            if (ShowsOwnText(before))
                break;
            if (before.kind == ControlKind::Label && before.part.isEmpty() &&
                !before.text.isEmpty()) {
                subject = LabelSubject(before);
                break;
            }
        }
        m_subjects[i] = WithPart(subject, control.part);
        QWidget *widget = m_items[i].widget;
        if (valueLabel) {
            RenameValueLabel(widget);
            continue;
        }
        widget->setAccessibleName(m_subjects[i]);
    }
}

void DialogWindow::RenameValueLabel(QWidget *widget) {
    auto *label = qobject_cast<QLabel *>(widget);
    const Item *item = ItemOf(widget);
    if (!label || !item || m_subjects.size() != m_items.size())
        return;
    const QString &subject = m_subjects[static_cast<std::size_t>(item - m_items.data())];
    if (subject.isEmpty())
        return;
    // The value stays part of the name: a screen reader announces a label
    // by its name alone.
    const QString value = label->text();
    label->setAccessibleName(value.isEmpty() ? subject : subject + QStringLiteral(": ") + value);
}
