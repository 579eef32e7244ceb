// Small builders for the controls the windows place at fixed client-area positions, and the
// colours and fonts they share.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace Look {

inline QColor lightGrey() {
    return QColor(192, 192, 192);
}

// Arial at a point size that may have a fraction (20.25, 15.75).
QFont arial(qreal pointSize);

void paintBackground(QWidget* widget, const QColor& colour);
void paintBase(QWidget* widget, const QColor& colour);
void paintButton(QPushButton* button, const QColor& colour);

QLabel* label(QWidget* parent, const QString& caption, const QRect& geometry);
// Widens a one-line label to its text when the default font needs more than its place.
void fitWidth(QLabel* label);
QPushButton* button(QWidget* parent, const QString& caption, const QRect& geometry);
QLineEdit* textBox(QWidget* parent, const QString& text, const QRect& geometry);
QComboBox* editableCombo(QWidget* parent, const QStringList& items, const QRect& geometry);
QComboBox* dropDownList(QWidget* parent, const QStringList& items, const QRect& geometry);

} // namespace Look
