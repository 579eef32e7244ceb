// Control builders shared by the windows.
#include "windowkit/Look.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace Look {

QFont arial(qreal pointSize) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    return font;
}

void paintBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void paintBase(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

void paintButton(QPushButton* button, const QColor& colour) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, colour);
    button->setPalette(palette);
    button->setAutoFillBackground(true);
}

QLabel* label(QWidget* parent, const QString& caption, const QRect& geometry) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(geometry);
    return label;
}

void fitWidth(QLabel* label) {
    const int needed = label->sizeHint().width();
    if (needed > label->width())
        label->resize(needed, label->height());
}

QPushButton* button(QWidget* parent, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* textBox(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* box = new QLineEdit(text, parent);
    box->setGeometry(geometry);
    return box;
}

QComboBox* editableCombo(QWidget* parent, const QStringList& items, const QRect& geometry) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    // The box holds exactly what was typed: the handlers decide on that text ("1" is not
    // "19200", "copper" is not "Copper"), so neither completion nor insertion may change it.
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
    // Nor may leaving the box or pressing Return turn a typed text that matches an item into
    // a pick of that item: the handlers of picking would run a second time on the same text.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
    QObject::disconnect(box->lineEdit(), &QLineEdit::returnPressed, box, nullptr);
    box->addItems(items);
    box->setGeometry(geometry);
    return box;
}

QComboBox* dropDownList(QWidget* parent, const QStringList& items, const QRect& geometry) {
    auto* box = new QComboBox(parent);
    box->addItems(items);
    box->setGeometry(geometry);
    return box;
}

} // namespace Look
