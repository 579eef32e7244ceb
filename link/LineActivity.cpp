// Exchange bookkeeping for the line.
#include "link/LineActivity.h"

LineActivity& LineActivity::instance() {
    static LineActivity activity;
    return activity;
}

LineActivity::Scope::Scope() {
    ++instance().m_depth;
}

LineActivity::Scope::~Scope() {
    LineActivity& activity = instance();
    if (--activity.m_depth == 0)
        Q_EMIT activity.idle();
}
