// The operator prompt as real message boxes and the file dialog.
#pragma once

#include "link/OperatorPrompt.h"

class QFileDialog;

class DialogPrompt : public OperatorPrompt {
public:
    Answer ask(const QString& text, Buttons buttons) override;
    std::optional<QString> chooseFile(const FileRequest& request, int* fileType) override;
};

// The file dialog as the operator gets it, for `request`.
void setUpFileDialog(QFileDialog& dialog, const OperatorPrompt::FileRequest& request);

// "Name|pattern|Name|pattern|" as the file dialog's list of name filters.
QStringList nameFiltersFrom(const QString& pipeFilter);
