// Ordering and splitting of scheduled replies.
#include "ReplyQueue.h"

#include <algorithm>

namespace sim {

void ReplyQueue::schedule(std::string bytes, Nanos due, int pieces, Nanos gap) {
    if (bytes.empty())
        return;
    // Never more pieces than bytes, so no piece is empty.
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(pieces, 1)), bytes.size());
    const std::size_t base = bytes.size() / count;
    const std::size_t extra = bytes.size() % count;

    Nanos when = std::max(due, m_lastDue);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t len = base + (i < extra ? 1 : 0);
        m_pieces.push_back(Piece{when, bytes.substr(pos, len)});
        pos += len;
        m_lastDue = when;
        when += gap;
    }
}

} // namespace sim
