// Line framing of received commands.
#include "LineSplitter.h"

namespace sim {

std::vector<ReceivedLine> LineSplitter::feed(std::string_view bytes) {
    std::vector<ReceivedLine> lines;
    for (char c : bytes) {
        if (c != '\n') {
            if (m_partial.size() < m_maxLine) {
                m_partial.push_back(c);
            } else {
                m_overflowed = true;
                m_droppedCr = c == '\r';
            }
            continue;
        }
        ReceivedLine line;
        line.text = std::move(m_partial);
        // Keep the CR of an over-long "text CR LF" so the command still ends as it was sent.
        if (m_overflowed && m_droppedCr)
            line.text.push_back('\r');
        line.raw = line.text + '\n';
        if (!line.text.empty() && line.text.back() == '\r')
            line.text.pop_back();
        lines.push_back(std::move(line));
        m_partial.clear();
        m_overflowed = false;
        m_droppedCr = false;
    }
    return lines;
}

} // namespace sim
