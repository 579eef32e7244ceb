// The record file: one write(2) per event on an O_APPEND descriptor, so every line reaches the
// file at once and whole, even if the simulator is killed right after.
#include "Recorder.h"

#include "Clock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sim {

Recorder::~Recorder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Recorder::open(const std::string& path, std::string& error) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string Recorder::escape(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (c >= 0x20 && c < 0x7f) {
                out.push_back(static_cast<char>(c));
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            }
        }
    }
    return out;
}

std::string Recorder::format(double seconds, char dir, std::string_view bytes) {
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%.6f %c ", seconds, dir);
    return stamp + escape(bytes) + '\n';
}

void Recorder::record(char dir, std::string_view bytes) {
    if (m_fd < 0)
        return;
    const std::string line = format(static_cast<double>(monotonicNow()) / 1e9, dir, bytes);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(m_fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // a full disk must not stop the instrument from answering
        done += static_cast<std::size_t>(n);
    }
}

} // namespace sim
