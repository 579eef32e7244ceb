// Entry check on leaving the box or on Return.
#include "readings/CheckedEntry.h"

#include "link/OperatorPrompt.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

namespace {

// As the operator would type it: the region's decimal separator and no group separators,
// which the entry check (and the operator) would not take back as a number.
QString typedForm(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 7);
}

} // namespace

CheckedEntry::CheckedEntry(double initial, Check check, QWidget* parent)
    : QLineEdit(parent), m_check(std::move(check)) {
    setValue(initial);
    setMinimumWidth(sizeHint().width());
}

void CheckedEntry::setValue(double value) {
    m_value = value;
    m_acceptedText = typedForm(value);
    setText(m_acceptedText);
}

QSize CheckedEntry::sizeHint() const {
    const QSize usual = QLineEdit::sizeHint();
    const QMargins margins = textMargins() + contentsMargins();
    // Ten characters and a sign, with the frame's and the text's margins.
    const int room = fontMetrics().horizontalAdvance(QStringLiteral("-0000000000")) +
                     margins.left() + margins.right() + 8;
    return {room, usual.height()};
}

void CheckedEntry::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Another program, a drop-down or a message box taking the focus is not leaving the box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    apply();
}

void CheckedEntry::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        apply();
}

void CheckedEntry::apply() {
    if (text() == m_acceptedText)
        return;
    const Entries::Checked checked = m_check(text());
    if (checked.value) {
        m_value = *checked.value;
        m_acceptedText = text();
        Q_EMIT accepted(m_value);
        return;
    }
    QPointer<CheckedEntry> self(this);
    // Taken first: the message box's focus change must not check the same text again.
    const QString back = m_acceptedText;
    tell(checked.message);
    if (self)
        setText(back);
}
