// Context menu entry and shortcut for the Readings window.
#include "measurement/ReadingsEntry.h"

#include "measurement/ResultsEvents.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

#include <memory>

ReadingsEntry::ReadingsEntry(QWidget* window) : QObject(window), m_window(window) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), window);
    connect(shortcut, &QShortcut::activated, &ResultsEvents::instance(),
            &ResultsEvents::readingsRequested);
    auto* records = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), window);
    connect(records, &QShortcut::activated, &ResultsEvents::instance(),
            &ResultsEvents::recordsRequested);
    window->installEventFilter(this);
    for (QLineEdit* box : window->findChildren<QLineEdit*>())
        box->installEventFilter(this);
}

bool ReadingsEntry::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Show) {
        ResultsEvents::instance().resultsShown();
        return false;
    }
    if (watched == m_window && event->type() == QEvent::Hide) {
        ResultsEvents::instance().resultsHidden();
        return false;
    }
    if (event->type() != QEvent::ContextMenu)
        return false;
    // Buttons and labels pass the right click on to the window; text boxes keep their menu.
    auto* box = qobject_cast<QLineEdit*>(watched);
    std::unique_ptr<QMenu> menu(box ? box->createStandardContextMenu() : new QMenu);
    if (box)
        menu->addSeparator();
    menu->addAction(menuText(), &ResultsEvents::instance(), &ResultsEvents::readingsRequested);
    menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
}
