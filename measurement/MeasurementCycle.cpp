// The measurement cycle.
#include "measurement/MeasurementCycle.h"

#include "configuration/Configure.h"
#include "link/Commands.h"
#include "link/LineActivity.h"
#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "measurement/Correction.h"
#include "measurement/CorrectionSettings.h"
#include "measurement/DataLines.h"
#include "measurement/NumberText.h"
#include "measurement/Numbers.h"
#include "measurement/ReadMeasurement.h"
#include "measurement/ResultsEvents.h"
#include "measurement/ScaleReading.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace MeasurementCycle {

namespace {

QString withoutLineEnd(const QString& reply) {
    qsizetype end = reply.size();
    while (end > 0 &&
           (reply.at(end - 1) == QLatin1Char('\r') || reply.at(end - 1) == QLatin1Char(' ')))
        --end;
    return reply.left(end);
}

bool alive(const QPointer<frmMeasure>& window) {
    return window && window->isLoaded();
}

// The coefficient from the material box. Unlike leaving the box, a trigger never resets it.
void takeCoefficient(frmMeasure& window) {
    const CorrectionSettings::Coefficient entry =
        CorrectionSettings::readCoefficient(window.Combo1->currentText());
    if (entry.value)
        window.sTempco = *entry.value;
    const QString message = CorrectionSettings::coefficientMessage(entry.verdict);
    if (!message.isEmpty())
        tell(message);
}

QString speedSetting() {
    // A configuration window closed since comes back with its defaults.
    const QComboBox* accuracy = Configure::use().Accuracy;
    return accuracy ? accuracy->currentText() : QString();
}

void show(frmMeasure& window, const Outcome& outcome) {
    window.Pvalue->setText(outcome.pvalue);
    window.Ppar->setText(outcome.ppar);
    window.Punit->setText(outcome.punit);
    window.spar->setText(outcome.spar);
    window.sunit->setText(outcome.sunit);
    window.svalue->setText(outcome.svalue);
}

void log(frmMeasure& window, const Outcome& outcome) {
    if (!window.bLog)
        return;
    const QString ppar = window.Ppar->text();
    const QString measured = DataLines::measuredField(outcome.measuredText);
    if (!window.bTC) {
        window.logLine(DataLines::shortLine(ppar, measured));
        return;
    }
    window.logLine(DataLines::longLine(ppar, measured, window.spar->text(), outcome.correctedText,
                                       DataLines::temperatureField(window.Temp->text()),
                                       NumberText::forLog(window.sTempco)));
}

} // namespace

int speedPauses(const QString& accuracy) {
    if (accuracy == QLatin1String("Medium"))
        return 1;
    if (accuracy == QLatin1String("Slow"))
        return 4;
    return 0;
}

bool isOverRange(const QString& reply) {
    return withoutLineEnd(reply) == QLatin1String(Commands::kOverRangeReply);
}

std::optional<float> parseReply(const QString& reply) {
    const QString number = withoutLineEnd(reply);
    if (number.trimmed().isEmpty())
        return std::nullopt;
    return Numbers::fromMeter(number);
}

std::optional<Outcome> evaluate(const QString& reply, const QString& temperature, float tempco,
                                const QLocale& locale) {
    Outcome outcome;
    if (isOverRange(reply)) {
        outcome.pvalue = QStringLiteral("Range Error");
        outcome.measuredText = outcome.pvalue;
        return outcome;
    }
    const std::optional<float> measured = parseReply(reply);
    if (!measured)
        return std::nullopt;
    const float scaled = Module1::ScaleReading(*measured);
    outcome.measured = measured;
    outcome.measuredText = reply;
    outcome.pvalue = NumberText::forDisplay(scaled, locale);
    outcome.ppar = QStringLiteral("Rx");
    outcome.punit = Module1::sPrefix + QStringLiteral("Ohm");

    outcome.spar = QStringLiteral("Rtc");
    const std::optional<float> t = Numbers::fromOperator(temperature, locale);
    const std::optional<float> corrected =
        t ? Correction::corrected(*measured, *t, tempco) : std::nullopt;
    outcome.temperature = t;
    if (!corrected)
        return outcome; // value and unit stay empty rather than showing a zero reading
    outcome.corrected = corrected;
    const float scaledCorrected = Module1::ScaleReading(*corrected);
    outcome.correctedText = NumberText::forLog(*corrected);
    outcome.sunit = Module1::sPrefix + QStringLiteral("Ohm");
    outcome.svalue = NumberText::forDisplay(scaledCorrected, locale);
    return outcome;
}

void trigger(frmMeasure& window) {
    const LineActivity::Scope exchange;
    QPointer<frmMeasure> self(&window);
    window.lockButtons(true);

    takeCoefficient(window);
    if (!alive(self))
        return; // the window went away while the message was shown

    // Whatever is waiting on the line belongs to an earlier exchange (a reading that came
    // after its time-out); left there, it would be taken for this trigger's reading.
    Module1::discardInput();
    Module1::send(Commands::kClearStatusBeforeTrigger);
    Module1::send(Commands::kTrigger);

    const int pauses = speedPauses(speedSetting());
    for (int i = 0; i < pauses; ++i) {
        Configure::dly();
        if (!alive(self))
            return;
    }

    Module1::ReadMeasurement();
    if (!alive(self))
        return;

    if (!Module1::bTimeout) {
        if (const std::optional<Outcome> outcome =
                evaluate(Module1::sReply, window.Temp->text(), window.sTempco)) {
            show(window, *outcome);
            log(window, *outcome);
            if (!alive(self))
                return; // a failed log write is reported in a box, which runs the event loop
            ResultsEvents::instance().reportReading(
                ShownReading{*outcome, !outcome->measured, window.sTempco, window.bTC});
        }
    }
    window.lockButtons(false);
}

} // namespace MeasurementCycle
