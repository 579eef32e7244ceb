// Command-line options of the simulator.
#pragma once

#include "Instrument.h"

#include <optional>
#include <string>

namespace sim {

struct Options {
    InstrumentOptions instrument;
    std::string link;                    // symlink to the slave, empty for none
    std::string record;                  // record file, empty for none
    int pieces = 1;                      // each reply written in this many parts
    long pieceGapMs = 20;                // pause between parts
    std::optional<std::string> hangupOn; // line text that makes the simulator hang up
    std::optional<long> hangupAfterMs;   // hang up this long after start
};

enum class ParseResult { Run, Help, Error };

// Fills `options`; on Error, `error` holds the message for stderr.
ParseResult parseOptions(int argc, char** argv, Options& options, std::string& error);

const char* usageText();

} // namespace sim
