// Font configuration loaded ahead of the first window.
#include "app/FontWarmUp.h"

#include <QtGlobal>

#include <thread>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <dlfcn.h>
#define MX7500_HAS_FONTCONFIG_WARMUP 1
#endif

namespace {
std::thread& worker() {
    static std::thread thread;
    return thread;
}
} // namespace

namespace FontWarmUp {

void start() {
#ifdef MX7500_HAS_FONTCONFIG_WARMUP
    // The toolkit's own libraries already bring fontconfig in; FcInit loads the default
    // configuration once, and later calls, the toolkit's included, find it loaded. Looked up
    // at run time so that building needs no fontconfig headers.
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"));
    if (init && !worker().joinable())
        worker() = std::thread([init] { init(); });
#endif
}

void finish() {
    if (worker().joinable())
        worker().join();
}

} // namespace FontWarmUp
