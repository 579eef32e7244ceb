// Everything the front panel asks of the operator in a modal box: messages, questions and
// the choice of a log file. The program shows real dialogs; tests script the answers.
#pragma once

#include <QString>

#include <optional>

class OperatorPrompt {
public:
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    struct FileRequest {
        QString filter; // in the "name|pattern|name|pattern|" form
        QString title;
        QString fileName; // offered again: the path chosen last time
    };

    virtual ~OperatorPrompt() = default;

    // A message box titled with the application's title, no icon, with exactly these
    // buttons. Closing an OK/Cancel box without a choice answers Cancel.
    virtual Answer ask(const QString& text, Buttons buttons) = 0;

    // The file dialog; no value when the operator cancelled it. With `fileType`, which of the
    // filter's file types the operator picked (0 the first).
    virtual std::optional<QString> chooseFile(const FileRequest& request,
                                              int* fileType = nullptr) = 0;

    // The prompt in use: set once by the program (or a test).
    static OperatorPrompt& current();
    static void install(OperatorPrompt* prompt);
};

// The usual message box: just OK.
inline void tell(const QString& text) {
    OperatorPrompt::current().ask(text, OperatorPrompt::Buttons::Ok);
}
