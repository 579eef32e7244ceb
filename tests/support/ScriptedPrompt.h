// The operator, scripted: each expected box with its answer, in order. A box nobody expected
// is recorded as a failure, so a test cannot pass past a surprise message.
#pragma once

#include "link/OperatorPrompt.h"

#include <QList>
#include <QStringList>

#include <functional>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

// The three lines of the not-responding box, as the operator reads them.
inline const QString kNotResponding =
    QStringLiteral("MX7500 not responding\rMake sure MX7500 is turned on and RS232 cable is "
                   "connected\rIn System Setup, System Configuration, check Baud Rate ");

class ScriptedPrompt : public OperatorPrompt {
public:
    struct Box {
        QString text;
        Buttons buttons;
        Answer answer;
        std::function<void()> whileShown; // what the operator does before answering
    };

    void expect(const QString& text, Buttons buttons, Answer answer,
                std::function<void()> whileShown = {}) {
        m_boxes << Box{text, buttons, answer, std::move(whileShown)};
    }
    void expectOk(const QString& text) { expect(text, Buttons::Ok, Answer::Ok); }
    // The file the operator chooses, of the filter's file type `fileType`.
    void expectFile(std::optional<QString> choice, int fileType = 0) {
        m_files << std::pair{choice, fileType};
    }

    Answer ask(const QString& text, Buttons buttons) override;
    std::optional<QString> chooseFile(const FileRequest& request, int* fileType) override;

    // What went otherwise than scripted: empty when everything scripted was asked, and
    // nothing else.
    QString problems() const;

    QStringList shown;               // every box text, in order
    QList<FileRequest> fileRequests; // every file dialog opened
    QStringList failures;

private:
    QList<Box> m_boxes;
    QList<std::pair<std::optional<QString>, int>> m_files; // each choice with its file type
};
