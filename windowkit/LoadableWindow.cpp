// Window lifetime shared by every window.
#include "windowkit/LoadableWindow.h"

#include "link/Wait.h"

#include <QCloseEvent>
#include <QSet>

namespace {
QSet<LoadableWindow*>& loadedWindows() {
    static QSet<LoadableWindow*> windows;
    return windows;
}
std::function<void()>& programEndHandler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

LoadableWindow::LoadableWindow() {
    loadedWindows().insert(this);
}

LoadableWindow::~LoadableWindow() {
    loadedWindows().remove(this);
}

void LoadableWindow::runLoadStep() {
    loadStep();
}

void LoadableWindow::unload() {
    if (m_state != State::Loaded)
        return;
    m_state = State::Unloading;
    unloadStep();
    hide();
    m_state = State::Unloaded;
    loadedWindows().remove(this);
    // A handler of this window may still be on the stack (a wait that let the close run);
    // the object itself goes once control is back in the event loop.
    deleteLater();
    if (!loadedWindows().isEmpty())
        return;
    // The program is ending: any wait still on the stack below this handler ends too.
    Wait::callOffAll();
    if (programEndHandler())
        programEndHandler()();
}

int LoadableWindow::loadedCount() {
    return int(loadedWindows().size());
}

void LoadableWindow::setProgramEndHandler(std::function<void()> handler) {
    programEndHandler() = std::move(handler);
}

void LoadableWindow::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}
