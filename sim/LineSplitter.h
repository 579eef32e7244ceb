// Cuts the received byte stream into command lines at LF, with a bounded buffer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct ReceivedLine {
    std::string raw;  // bytes as received, terminator included (for the record)
    std::string text; // what precedes LF, with one trailing CR removed
};

class LineSplitter {
public:
    // A flood without LF must not grow memory without limit: bytes beyond this are dropped.
    static constexpr std::size_t kMaxLine = 64 * 1024;

    explicit LineSplitter(std::size_t maxLine = kMaxLine) : m_maxLine(maxLine) {}

    // Appends bytes; returns every line completed by them, in order.
    std::vector<ReceivedLine> feed(std::string_view bytes);

private:
    std::size_t m_maxLine;
    std::string m_partial;
    bool m_overflowed = false;
    bool m_droppedCr = false; // the last dropped byte was CR, so the line still ends in CR
};

} // namespace sim
