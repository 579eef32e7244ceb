// A text box checked when the operator leaves it or presses Return, as the results window's
// entries are checked on leaving: a rejected text brings a message and the last accepted text
// back.
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
    // Shows and accepts `value` without asking, in the operator's locale.
    void setValue(double value);
    // Room for a limit typed to the meter's seven digits, such as "-12,34567".
    QSize sizeHint() const override;

Q_SIGNALS:
    void accepted(double value);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void apply();

    Check m_check;
    double m_value;
    QString m_acceptedText;
};
