// The installed operator prompt.
#include "link/OperatorPrompt.h"

#include <QtGlobal>

namespace {
OperatorPrompt* g_prompt = nullptr;
}

OperatorPrompt& OperatorPrompt::current() {
    Q_ASSERT_X(g_prompt, "OperatorPrompt", "no prompt installed");
    return *g_prompt;
}

void OperatorPrompt::install(OperatorPrompt* prompt) {
    g_prompt = prompt;
}
