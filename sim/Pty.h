// The pseudo-terminal the simulated meter sits behind.
#pragma once

#include <string>

namespace sim {

class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Opens master and slave, slave in raw mode; returns false and sets `error` on failure.
    bool open(std::string& error);
    // Closes both ends: the port's user then sees the line die, as with an unplugged adapter.
    void close();

    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    // Held open for our whole life: without it the master reads EIO whenever the panel
    // closes the port, and the pending input would be thrown away between reopenings.
    int m_slave = -1;
    std::string m_slavePath;
};

} // namespace sim
