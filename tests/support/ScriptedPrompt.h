// The operator, scripted: each expected box with its answer, in order. A box nobody expected
// is recorded as a failure, so a test cannot pass past a surprise message.
#pragma once

#include "link/OperatorPrompt.h"

#include <QList>
#include <QStringList>

#include <functional>

class ScriptedPrompt : public OperatorPrompt {
public:
    struct Box {
        QString text;
        Buttons buttons;
        Answer answer;
        std::function<void()> whileShown; // what the operator does before answering
        bool prefixOnly = false;          // the text only has to start with `text`
    };

    void expect(const QString& text, Buttons buttons, Answer answer,
                std::function<void()> whileShown = {}) {
        m_boxes << Box{text, buttons, answer, std::move(whileShown)};
    }
    void expectOk(const QString& text) { expect(text, Buttons::Ok, Answer::Ok); }
    // An OK box whose text starts with `prefix` (the rest is the platform's own words).
    void expectOkStartingWith(const QString& prefix) {
        m_boxes << Box{prefix, Buttons::Ok, Answer::Ok, {}, true};
    }
    void expectFile(std::optional<QString> choice) { m_files << choice; }

    Answer ask(const QString& text, Buttons buttons) override;
    std::optional<QString> chooseFile(const FileRequest& request) override;

    // Everything scripted was asked, and nothing else.
    bool done() const { return m_boxes.isEmpty() && m_files.isEmpty() && failures.isEmpty(); }
    QString report() const;

    QStringList shown;               // every box text, in order
    QList<FileRequest> fileRequests; // every file dialog opened
    QStringList failures;

private:
    QList<Box> m_boxes;
    QList<std::optional<QString>> m_files;
};
