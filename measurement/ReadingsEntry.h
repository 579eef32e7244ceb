// The way from the results window to the Readings window: "Readings..." in the context menu of
// the whole window (added to the text boxes' own menus, which keep their editing entries) and
// Ctrl+R, and Ctrl+H for the Records window. It also announces the window being shown.
#pragma once

#include <QObject>

class QWidget;

class ReadingsEntry : public QObject {
    Q_OBJECT
public:
    // Installs itself on `window` and the text boxes inside it, as the window's child.
    explicit ReadingsEntry(QWidget* window);

    static QString menuText() { return QStringLiteral("Readings..."); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};
