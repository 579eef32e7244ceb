// Pseudo-terminal setup with the POSIX calls only.
#include "Pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {
std::string failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}
} // namespace

Pty::~Pty() {
    close();
}

bool Pty::open(std::string& error) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        error = failure("posix_openpt");
        return false;
    }
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        error = failure("grantpt/unlockpt");
        close();
        return false;
    }
    const char* name = ptsname(m_master);
    if (name == nullptr) {
        error = failure("ptsname");
        close();
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        error = failure(m_slavePath.c_str());
        close();
        return false;
    }
    // Raw: CR and LF pass unchanged both ways, nothing is echoed back to the panel.
    termios tio{};
    if (tcgetattr(m_slave, &tio) != 0) {
        error = failure("tcgetattr");
        close();
        return false;
    }
    cfmakeraw(&tio);
    if (tcsetattr(m_slave, TCSANOW, &tio) != 0) {
        error = failure("tcsetattr");
        close();
        return false;
    }
    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(m_master, F_SETFD, FD_CLOEXEC) != 0) {
        error = failure("fcntl");
        close();
        return false;
    }
    return true;
}

void Pty::close() {
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

} // namespace sim
