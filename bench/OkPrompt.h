// The operator of the in-process figures: answers every box with OK at once and cancels
// every file dialog, so a not-responding box ends a wait instead of the program.
#pragma once

#include "link/OperatorPrompt.h"

class OkPrompt : public OperatorPrompt {
public:
    Answer ask(const QString&, Buttons buttons) override {
        ++asked;
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    std::optional<QString> chooseFile(const FileRequest&, int*) override { return std::nullopt; }

    int asked = 0;
};
