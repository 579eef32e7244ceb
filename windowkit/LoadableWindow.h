// The lifetime every window of the front panel shares: at most one of each, created hidden
// with its load step on first use, destroyed by unloading so the next use starts afresh,
// and the program ends when no window is left loaded.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class LoadableWindow : public QWidget {
public:
    enum class State { Loaded, Unloading, Unloaded };

    State state() const { return m_state; }
    bool isLoaded() const { return m_state == State::Loaded; }

    // Runs the unload step, hides the window and destroys it. Unloading a window that is
    // already going away does nothing.
    void unload();

    // How many windows are loaded right now.
    static int loadedCount();

    // What happens when the last window unloads; the program installs "end the event loop".
    static void setProgramEndHandler(std::function<void()> handler);

protected:
    LoadableWindow();
    ~LoadableWindow() override;

    virtual void loadStep() {}
    virtual void unloadStep() {}

    void closeEvent(QCloseEvent* event) override;

    // Called once, right after construction.
    void runLoadStep();

private:
    State m_state = State::Loaded;
};

// One slot per window class: W::use() creates the window when it does not exist yet.
template <class W> class Loadable : public LoadableWindow {
public:
    // The window, created hidden with its load step if it is not loaded.
    static W& use() {
        if (!s_current || s_current->state() == State::Unloaded) {
            s_current = new W;
            s_current->runLoadStep();
        }
        return *s_current;
    }

    // The window if it is loaded and not on its way out; nothing is created.
    static W* loaded() { return s_current && s_current->isLoaded() ? s_current.data() : nullptr; }

    static void unloadIfLoaded() {
        if (W* window = loaded())
            window->unload();
    }

private:
    static inline QPointer<W> s_current;
};
