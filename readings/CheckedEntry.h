// A text box checked when the operator leaves it, as the results window's entries are: a
// rejected text brings a message and the last accepted text back.
#pragma once

#include "readings/Entries.h"

#include <QLineEdit>

#include <functional>

class CheckedEntry : public QLineEdit {
    Q_OBJECT
public:
    using Check = std::function<Entries::Checked(const QString&)>;

    CheckedEntry(double initial, Check check, QWidget* parent = nullptr);

    // The last accepted value.
    double value() const { return m_value; }

Q_SIGNALS:
    void accepted(double value);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    Check m_check;
    double m_value;
    QString m_acceptedText;
};
