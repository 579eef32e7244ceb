// Entry check on leaving the box.
#include "readings/CheckedEntry.h"

#include "link/OperatorPrompt.h"

#include <QFocusEvent>
#include <QPointer>

CheckedEntry::CheckedEntry(double initial, Check check, QWidget* parent)
    : QLineEdit(parent), m_check(std::move(check)), m_value(initial) {
    m_acceptedText = QLocale().toString(initial, 'g', 7);
    setText(m_acceptedText);
}

void CheckedEntry::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Another program, a drop-down or a message box taking the focus is not leaving the box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
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
    tell(checked.message);
    if (self)
        setText(m_acceptedText);
}
