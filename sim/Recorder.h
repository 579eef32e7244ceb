// Appends one line per received command and written reply, so tests can check exact bytes and
// times.
#pragma once

#include <string>
#include <string_view>

namespace sim {

class Recorder {
public:
    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Opens `path` for appending; returns false and sets `error` on failure.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return m_fd >= 0; }

    // dir is '<' for a received line, '>' for a written reply or piece. The time is taken now.
    void record(char dir, std::string_view bytes);

    // C-style escape: \r \n \t \\ kept readable, other non-printables as \xHH.
    static std::string escape(std::string_view bytes);
    // "<seconds with 6 decimals> <dir> <escaped bytes>\n"
    static std::string format(double seconds, char dir, std::string_view bytes);

private:
    int m_fd = -1;
};

} // namespace sim
