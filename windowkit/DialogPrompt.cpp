// Message boxes and the file dialog.
#include "windowkit/DialogPrompt.h"

#include "windowkit/NameOnlyIconProvider.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>

OperatorPrompt::Answer DialogPrompt::ask(const QString& text, Buttons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("MX7500"));
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    // Lines kept apart by CR are shown as lines.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    return Answer::Cancel;
}

QStringList nameFiltersFrom(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts.at(i);
        const QString& pattern = parts.at(i + 1);
        filters << (name.contains(pattern) ? name : name + QStringLiteral(" (%1)").arg(pattern));
    }
    return filters;
}

void setUpFileDialog(QFileDialog& dialog, const OperatorPrompt::FileRequest& request) {
    dialog.setWindowTitle(request.title);
    // A name that does not exist yet must be accepted, and the log start asks about
    // overwriting itself.
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(nameFiltersFrom(request.filter));
    // The records store may be in the folder shown: nothing may open its files but SQLite.
    static auto* const byNameOnly = new NameOnlyIconProvider; // the dialog does not own it
    dialog.setIconProvider(byNameOnly);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

std::optional<QString> DialogPrompt::chooseFile(const FileRequest& request, int* fileType) {
    QFileDialog dialog(QApplication::activeWindow());
    setUpFileDialog(dialog, request);
    const QStringList filters = dialog.nameFilters();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (fileType)
        *fileType = std::max<int>(0, int(filters.indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().constFirst();
}
