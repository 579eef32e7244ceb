// Simulated MX7500 on a pseudo-terminal: options, then one poll(2) loop that reads command
// lines, answers them after the meter's reply time and records the traffic.
#include "Clock.h"
#include "Instrument.h"
#include "LineSplitter.h"
#include "Options.h"
#include "Pty.h"
#include "Recorder.h"
#include "ReplyQueue.h"
#include "SymLink.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace {

using sim::Nanos;

// A panel that sends triggers but never reads would otherwise grow the queue without bound.
constexpr std::size_t kMaxQueuedPieces = 65536;

// Signals are turned into bytes on a pipe so the poll loop handles them like any other event.
int g_signalPipe[2] = {-1, -1};

extern "C" void onSignal(int sig) {
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &b, 1);
    errno = saved;
}

bool installSignals(std::string& error) {
    if (pipe(g_signalPipe) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    for (int fd : g_signalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1})
        sigaction(sig, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

// Milliseconds for poll(2), rounded up so the loop never wakes before a deadline and spins.
int pollTimeout(Nanos now, std::optional<Nanos> deadline) {
    if (!deadline)
        return -1;
    if (*deadline <= now)
        return 0;
    const Nanos ms = (*deadline - now + sim::kNanosPerMilli - 1) / sim::kNanosPerMilli;
    return static_cast<int>(std::min<Nanos>(ms, 60 * 1000));
}

std::optional<Nanos> earliest(std::optional<Nanos> a, std::optional<Nanos> b) {
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

enum class Outcome { Stop, HangUp, Failure };

class Simulator {
public:
    Simulator(const sim::Options& options, sim::Pty& pty, sim::Recorder& recorder)
        : m_options(options), m_pty(pty), m_recorder(recorder), m_instrument(options.instrument) {}

    Outcome run() {
        std::optional<Nanos> hangupAt;
        if (m_options.hangupAfterMs)
            hangupAt = sim::monotonicNow() + *m_options.hangupAfterMs * sim::kNanosPerMilli;
        for (;;) {
            Nanos now = sim::monotonicNow();
            if (hangupAt && now >= *hangupAt)
                return Outcome::HangUp;
            bool blocked = false;
            if (!writeDuePieces(blocked))
                return Outcome::Failure;
            now = sim::monotonicNow();

            std::optional<Nanos> wake = hangupAt;
            if (!blocked && !m_queue.empty())
                wake = earliest(wake, m_queue.front().due);

            pollfd fds[2] = {
                {m_pty.master(), static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                {g_signalPipe[0], POLLIN, 0}};
            const int ready = poll(fds, 2, pollTimeout(now, wake));
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                std::perror("poll");
                return Outcome::Failure;
            }
            if (fds[1].revents & POLLIN) {
                if (auto outcome = handleSignals())
                    return *outcome;
            }
            if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
                if (auto outcome = readCommands())
                    return *outcome;
            }
        }
    }

private:
    // Writes every piece whose time has come; `blocked` tells that the pty is full.
    bool writeDuePieces(bool& blocked) {
        while (!m_queue.empty() && m_queue.front().due <= sim::monotonicNow()) {
            const sim::Piece& piece = m_queue.front();
            const ssize_t n = write(m_pty.master(), piece.bytes.data() + m_written,
                                    piece.bytes.size() - m_written);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    blocked = true;
                    return true;
                }
                std::perror("write");
                return false;
            }
            m_written += static_cast<std::size_t>(n);
            if (m_written == piece.bytes.size()) {
                m_recorder.record('>', piece.bytes);
                m_queue.pop();
                m_written = 0;
            }
        }
        return true;
    }

    std::optional<Outcome> handleSignals() {
        unsigned char sigs[64];
        const ssize_t n = read(g_signalPipe[0], sigs, sizeof sigs);
        if (n <= 0)
            return std::nullopt;
        // Several signals at once: the first decides, both ways end the loop.
        return sigs[0] == SIGUSR1 ? Outcome::HangUp : Outcome::Stop;
        return std::nullopt;
    }

    std::optional<Outcome> readCommands() {
        char buf[4096];
        for (;;) {
            const ssize_t n = read(m_pty.master(), buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return std::nullopt;
            if (n <= 0) {
                // Cannot happen while our own slave descriptor is open; stop rather than spin.
                std::fprintf(stderr, "mx7500-sim: pty read failed: %s\n",
                             n < 0 ? std::strerror(errno) : "end of file");
                return Outcome::Failure;
            }
            const Nanos now = sim::monotonicNow();
            for (const sim::ReceivedLine& line :
                 m_splitter.feed(std::string_view(buf, static_cast<std::size_t>(n)))) {
                m_recorder.record('<', line.raw);
                if (m_options.hangupOn && line.text == *m_options.hangupOn)
                    return Outcome::HangUp;
                if (auto reply = m_instrument.handleLine(line.text))
                    queueReply(*reply, now);
            }
        }
    }

    void queueReply(const sim::Reply& reply, Nanos now) {
        if (m_queue.size() >= kMaxQueuedPieces) {
            std::fprintf(stderr, "mx7500-sim: reply queue full, reply dropped\n");
            return;
        }
        m_queue.schedule(reply.bytes, now + reply.delayMs * sim::kNanosPerMilli, m_options.pieces,
                         m_options.pieceGapMs * sim::kNanosPerMilli);
    }

    const sim::Options& m_options;
    sim::Pty& m_pty;
    sim::Recorder& m_recorder;
    sim::Instrument m_instrument;
    sim::LineSplitter m_splitter;
    sim::ReplyQueue m_queue;
    std::size_t m_written = 0; // bytes of the front piece already written
};

} // namespace

int main(int argc, char** argv) {
    sim::Options options;
    std::string error;
    switch (sim::parseOptions(argc, argv, options, error)) {
    case sim::ParseResult::Help:
        std::fputs(sim::usageText(), stdout);
        return 0;
    case sim::ParseResult::Error:
        std::fprintf(stderr, "mx7500-sim: %s\n", error.c_str());
        return 2;
    case sim::ParseResult::Run:
        break;
    }

    sim::Recorder recorder;
    sim::Pty pty;
    sim::SymLink link;
    if (!installSignals(error) ||
        (!options.record.empty() && !recorder.open(options.record, error)) || !pty.open(error) ||
        (!options.link.empty() && !link.create(options.link, pty.slavePath(), error))) {
        std::fprintf(stderr, "mx7500-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("PTY %s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    Simulator simulator(options, pty, recorder);
    const Outcome outcome = simulator.run();
    // Closing both ends at once is what the panel sees as an unplugged adapter.
    pty.close();
    link.remove();
    if (outcome == Outcome::HangUp)
        std::fprintf(stderr, "mx7500-sim: hung up\n");
    return outcome == Outcome::Failure ? 1 : 0;
}
