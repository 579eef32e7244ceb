// Parsing of the simulator's command line; both "--opt VALUE" and "--opt=VALUE" are accepted.
#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace sim {

namespace {

constexpr long kMaxMs = 24L * 3600 * 1000;

bool parseLong(const std::string& text, long lo, long hi, long& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool parseDouble(const std::string& text, double lo, double hi, double& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || errno == ERANGE || !(v >= lo && v <= hi))
        return false;
    out = v;
    return true;
}

} // namespace

const char* usageText() {
    return "Usage: mx7500-sim [options]\n"
           "Plays an MX7500 meter on a pseudo-terminal and prints \"PTY <slave path>\".\n"
           "\n"
           "  --link PATH            also make PATH a symlink to the slave (removed at exit)\n"
           "  --serial S             serial number in the *IDN? reply (default MX75-000123)\n"
           "  --firmware F           firmware version in the *IDN? reply (default 1.04)\n"
           "  --idn TEXT             whole *IDN? reply text before CR LF (overrides the above)\n"
           "  --reading TEXT         *TRG reply text, sent verbatim (default 1.250000e-02)\n"
           "  --crlf                 end readings with CR LF instead of LF\n"
           "  --delay MS             answer everything after MS milliseconds instead of the\n"
           "                         speed-dependent time (Fast 10, Medium 40, Slow 120 ms plus\n"
           "                         :TRIG:DEL for *TRG; 5 ms for *IDN?)\n"
           "  --pieces N             write each reply in N pieces (default 1)\n"
           "  --piece-gap MS         pause between pieces (default 20)\n"
           "  --silent               never answer\n"
           "  --overrange            answer every *TRG with 0.000000e+00\n"
           "  --garbage              answer every *TRG with non-numeric bytes\n"
           "  --noise PERCENT        Gaussian noise on every reading, its standard deviation\n"
           "                         in percent of the reading (0 to 100, default 0)\n"
           "  --seed N               start of the noise's random series (default 1)\n"
           "  --drift PERCENT        change of the reading per minute since start, in percent\n"
           "                         (-100 to 100, default 0)\n"
           "  --settle SECONDS       readings start 2 % above their final value at the first\n"
           "                         *TRG and approach it exponentially with this time\n"
           "                         constant (0 to 3600, default 0: no settling)\n"
           "  --hangup-on TEXT       hang up right after receiving a line equal to TEXT\n"
           "  --hangup-after-ms MS   hang up MS milliseconds after start\n"
           "  --record FILE          append '<t> <dir> <escaped bytes>' per line received (<)\n"
           "                         and reply or piece written (>); t is CLOCK_MONOTONIC\n"
           "  --help                 show this text\n"
           "\n"
           "Hanging up closes the pseudo-terminal and exits, as an unplugged adapter would;\n"
           "SIGUSR1 hangs up too. SIGTERM and SIGINT exit cleanly.\n";
}

ParseResult parseOptions(int argc, char** argv, Options& options, std::string& error) {
    std::string serial = "MX75-000123";
    std::string firmware = "1.04";
    std::optional<std::string> idn;

    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        // Fetches the option's value; false (with the message set) when it is missing.
        std::string value;
        auto takeValue = [&]() {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto takeNumber = [&](long lo, long hi, long& out) {
            if (!takeValue())
                return false;
            if (!parseLong(value, lo, hi, out)) {
                error = "option " + name + ": bad number '" + value + "'";
                return false;
            }
            return true;
        };
        auto flag = [&](bool& target) {
            if (inlineValue) {
                error = "option " + name + " takes no value";
                return false;
            }
            target = true;
            return true;
        };

        auto takeDouble = [&](double lo, double hi, double& out) {
            if (!takeValue())
                return false;
            if (!parseDouble(value, lo, hi, out)) {
                error = "option " + name + ": bad number '" + value + "'";
                return false;
            }
            return true;
        };

        long n = 0;
        bool ok = true;
        if (name == "--help" || name == "-h") {
            return ParseResult::Help;
        } else if (name == "--link") {
            if ((ok = takeValue()))
                options.link = value;
        } else if (name == "--serial") {
            if ((ok = takeValue()))
                serial = value;
        } else if (name == "--firmware") {
            if ((ok = takeValue()))
                firmware = value;
        } else if (name == "--idn") {
            if ((ok = takeValue()))
                idn = value;
        } else if (name == "--reading") {
            if ((ok = takeValue()))
                options.instrument.reading = value;
        } else if (name == "--crlf") {
            ok = flag(options.instrument.crlf);
        } else if (name == "--delay") {
            if ((ok = takeNumber(0, kMaxMs, n)))
                options.instrument.fixedDelayMs = n;
        } else if (name == "--pieces") {
            if ((ok = takeNumber(1, 4096, n)))
                options.pieces = static_cast<int>(n);
        } else if (name == "--piece-gap") {
            if ((ok = takeNumber(0, kMaxMs, n)))
                options.pieceGapMs = n;
        } else if (name == "--silent") {
            ok = flag(options.instrument.silent);
        } else if (name == "--overrange") {
            ok = flag(options.instrument.overrange);
        } else if (name == "--garbage") {
            ok = flag(options.instrument.garbage);
        } else if (name == "--noise") {
            ok = takeDouble(0.0, 100.0, options.instrument.noisePercent);
        } else if (name == "--drift") {
            ok = takeDouble(-100.0, 100.0, options.instrument.driftPercentPerMinute);
        } else if (name == "--settle") {
            ok = takeDouble(0.0, 3600.0, options.instrument.settleSeconds);
        } else if (name == "--seed") {
            if ((ok = takeNumber(0, 2147483647L, n)))
                options.instrument.seed = static_cast<unsigned long>(n);
        } else if (name == "--hangup-on") {
            if ((ok = takeValue()))
                options.hangupOn = value;
        } else if (name == "--hangup-after-ms") {
            if ((ok = takeNumber(0, kMaxMs, n)))
                options.hangupAfterMs = n;
        } else if (name == "--record") {
            if ((ok = takeValue()))
                options.record = value;
        } else {
            error = "unknown option '" + std::string(argv[i]) + "' (see --help)";
            return ParseResult::Error;
        }
        if (ok && (name == "--link" || name == "--record") && value.empty()) {
            error = "option " + name + " needs a non-empty path";
            ok = false;
        }
        if (!ok)
            return ParseResult::Error;
    }
    options.instrument.idn = idn ? *idn : "Norvale,MX7500," + serial + "," + firmware;
    return ParseResult::Run;
}

} // namespace sim
