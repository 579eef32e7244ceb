// Correction entries.
#include "measurement/CorrectionSettings.h"

#include "measurement/Numbers.h"

namespace CorrectionSettings {

namespace {

struct Material {
    const char* name;
    float coefficient;
};

// In the order of the box's list.
constexpr Material kMaterials[] = {
    {"Copper", 0.004f},  {"Nichrome", 0.0004f}, {"Aluminium", 0.0039f},
    {"Silver", 0.0038f}, {"Gold", 0.0034f},
};

} // namespace

QStringList materialNames() {
    QStringList names;
    for (const Material& material : kMaterials)
        names << QString::fromLatin1(material.name);
    return names;
}

std::optional<float> materialCoefficient(const QString& text) {
    for (const Material& material : kMaterials)
        if (text == QLatin1String(material.name))
            return material.coefficient;
    return std::nullopt;
}

Coefficient readCoefficient(const QString& text, const QLocale& locale) {
    if (const auto value = materialCoefficient(text))
        return {Verdict::Accepted, value};
    const auto value = Numbers::fromOperator(text, locale);
    if (!value)
        return {Verdict::NotNumeric, std::nullopt};
    const bool inRange = -0.01f <= *value && *value <= 0.01f;
    return {inRange ? Verdict::Accepted : Verdict::OutOfRange, value};
}

Verdict checkTemperature(const QString& text, const QLocale& locale) {
    const auto value = Numbers::fromOperator(text, locale);
    if (!value)
        return Verdict::NotNumeric;
    return -50.0f <= *value && *value <= 200.0f ? Verdict::Accepted : Verdict::OutOfRange;
}

QString coefficientMessage(Verdict verdict) {
    switch (verdict) {
    case Verdict::Accepted:
        return QString();
    case Verdict::OutOfRange:
        return kCoefficientRange;
    case Verdict::NotNumeric:
        break;
    }
    return kNotNumeric;
}

QString temperatureMessage(Verdict verdict) {
    switch (verdict) {
    case Verdict::Accepted:
        return QString();
    case Verdict::OutOfRange:
        return kTemperatureRange;
    case Verdict::NotNumeric:
        break;
    }
    return kNotNumeric;
}

} // namespace CorrectionSettings
