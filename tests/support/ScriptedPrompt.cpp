// The scripted operator.
#include "ScriptedPrompt.h"

OperatorPrompt::Answer ScriptedPrompt::ask(const QString& text, Buttons buttons) {
    shown << text;
    if (m_boxes.isEmpty()) {
        failures << QStringLiteral("unexpected box: ") + text;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    Box box = m_boxes.takeFirst();
    if (text != box.text || box.buttons != buttons)
        failures << QStringLiteral("expected box \"%1\", got \"%2\"").arg(box.text, text);
    if (box.whileShown)
        box.whileShown();
    return box.answer;
}

std::optional<QString> ScriptedPrompt::chooseFile(const FileRequest& request, int* fileType) {
    fileRequests << request;
    if (m_files.isEmpty()) {
        failures << QStringLiteral("unexpected file dialog");
        return std::nullopt;
    }
    const auto [choice, type] = m_files.takeFirst();
    if (fileType)
        *fileType = type;
    return choice;
}

QString ScriptedPrompt::problems() const {
    QStringList lines = failures;
    for (const Box& box : m_boxes)
        lines << QStringLiteral("box never shown: ") + box.text;
    if (!m_files.isEmpty())
        lines << QStringLiteral("%1 file dialog(s) never opened").arg(m_files.size());
    return lines.join(QLatin1Char('\n'));
}
