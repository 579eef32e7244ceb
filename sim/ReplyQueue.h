// Replies waiting for their time, split into the pieces that are written one by one.
#pragma once

#include "Clock.h"

#include <cstddef>
#include <deque>
#include <string>

namespace sim {

struct Piece {
    Nanos due = 0;
    std::string bytes;
};

class ReplyQueue {
public:
    // Queues a reply due at `due`, in `pieces` parts spaced `gap` apart. A reply never goes
    // out before one queued earlier: a quick "*IDN?" answer waits behind a slow trigger.
    void schedule(std::string bytes, Nanos due, int pieces, Nanos gap);

    bool empty() const { return m_pieces.empty(); }
    std::size_t size() const { return m_pieces.size(); }
    const Piece& front() const { return m_pieces.front(); }
    Piece& front() { return m_pieces.front(); }
    void pop() { m_pieces.pop_front(); }
    void clear() { m_pieces.clear(); }

private:
    std::deque<Piece> m_pieces;
    Nanos m_lastDue = 0;
};

} // namespace sim
