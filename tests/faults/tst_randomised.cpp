// The plain functions under many random inputs (a fixed seed, so a failure repeats): number
// text against the value it stands for, the engineering ranges, the reply clean-up, and
// text-to-number, which must never turn a failure into 0.
#include "link/Framing.h"
#include "link/Module1.h"
#include "measurement/NumberText.h"
#include "measurement/Numbers.h"
#include "measurement/ScaleReading.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cfloat>
#include <cmath>

namespace {

constexpr int kRounds = 20000;

// A finite single-precision value anywhere in the range, of either sign.
float anyFloat(QRandomGenerator& random) {
    for (;;) {
        const quint32 bits = random.generate();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            return value;
    }
}

int significantDigits(const QString& text) {
    QString mantissa = text.section(QLatin1Char('E'), 0, 0);
    mantissa.remove(QLatin1Char('-')).remove(QLatin1Char('.'));
    while (mantissa.startsWith(QLatin1Char('0')))
        mantissa.remove(0, 1);
    return int(mantissa.size());
}

} // namespace

class RandomisedTest : public QObject {
    Q_OBJECT
    QRandomGenerator m_random{20261206};

private Q_SLOTS:
    void numberTextStandsForItsValue() {
        for (int i = 0; i < kRounds; ++i) {
            const float value = anyFloat(m_random);
            const QString text = NumberText::forLog(value);
            const QString context =
                QStringLiteral("%1 -> %2").arg(double(value), 0, 'g', 9).arg(text);
            QVERIFY2(significantDigits(text) <= 7, qPrintable(context));
            QVERIFY2(!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char(' ')),
                     qPrintable(context));
            QVERIFY2(!text.section(QLatin1Char('E'), 0, 0).endsWith(QLatin1Char('.')),
                     qPrintable(context));
            const std::optional<float> back = Numbers::fromMeter(text);
            QVERIFY2(back.has_value(), qPrintable(context));
            // Seven significant digits: within half a unit of the seventh digit, plus the
            // single-precision step of reading the text back.
            const double magnitude = std::fabs(double(value));
            const double halfSeventhDigit =
                magnitude == 0 ? 0 : 0.5 * std::pow(10.0, std::floor(std::log10(magnitude)) - 6);
            const double step = std::fabs(double(std::nextafter(value, 0.0f)) - double(value));
            const double error = std::fabs(double(*back) - double(value));
            QVERIFY2(error <= halfSeventhDigit * 1.000001 + step, qPrintable(context));
            QVERIFY2((value < 0) == text.startsWith(QLatin1Char('-')) || value == 0.0f,
                     qPrintable(context));
        }
    }

    void scaleReadingKeepsSignAndRange() {
        for (int i = 0; i < kRounds; ++i) {
            const float value = anyFloat(m_random);
            const float scaled = Module1::ScaleReading(value);
            const QString prefix = Module1::sPrefix;
            const float m = std::fabs(value);
            const QString context = QStringLiteral("%1 -> %2 %3")
                                        .arg(double(value), 0, 'g', 9)
                                        .arg(double(scaled), 0, 'g', 9)
                                        .arg(prefix);
            QVERIFY2(value == 0.0f || std::signbit(scaled) == std::signbit(value),
                     qPrintable(context));
            if (m < 0.001f) {
                QCOMPARE(prefix, QStringLiteral("u"));
                QVERIFY2(std::fabs(scaled) < 1000.0f, qPrintable(context));
            } else if (m < 1.0f) {
                QCOMPARE(prefix, QStringLiteral("m"));
                QVERIFY2(std::fabs(scaled) >= 0.999999f && std::fabs(scaled) < 1000.0f,
                         qPrintable(context));
            } else if (m < 1000.0f) {
                QCOMPARE(prefix, QString());
                QCOMPARE(scaled, value);
            } else if (m < 1000000.0f) {
                QCOMPARE(prefix, QStringLiteral("k"));
                QVERIFY2(std::fabs(scaled) >= 1.0f && std::fabs(scaled) < 1000.0001f,
                         qPrintable(context));
            } else {
                QCOMPARE(prefix, QString());
                QCOMPARE(scaled, value);
            }
        }
    }

    void cleanUpRemovesOnlyWhatItShould() {
        const QString alphabet = QStringLiteral(" \r\n0123456789.e-+x");
        for (int i = 0; i < kRounds; ++i) {
            QString reply;
            const int length = m_random.bounded(12);
            for (int c = 0; c < length; ++c)
                reply += alphabet.at(m_random.bounded(int(alphabet.size())));
            const QString cleaned = Framing::cleanMeasurementReply(reply);
            const QString context = QStringLiteral("[%1] -> [%2]")
                                        .arg(reply, cleaned)
                                        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
                                        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
            // Only blanks at the ends, then one CR, then one LF go.
            QVERIFY2(reply.trimmed().isEmpty() || reply.contains(cleaned.trimmed()),
                     qPrintable(context));
            QVERIFY2(cleaned.size() <= reply.size(), qPrintable(context));
            QVERIFY2(!cleaned.startsWith(QLatin1Char(' ')), qPrintable(context));
            QVERIFY2(reply.size() - cleaned.size() <=
                         reply.size() - reply.trimmed().size() + 2 +
                             (reply.size() - QString(reply).remove(QLatin1Char(' ')).size()),
                     qPrintable(context));
            QCOMPARE(Framing::cleanMeasurementReply(cleaned + QLatin1Char('\n')), cleaned);
        }
    }

    void textToNumberNeverTurnsAFailureIntoZero() {
        const QString alphabet = QStringLiteral("0123456789.,eE+- xna\r");
        int accepted = 0;
        for (int i = 0; i < kRounds; ++i) {
            QString text;
            const int length = 1 + m_random.bounded(10);
            for (int c = 0; c < length; ++c)
                text += alphabet.at(m_random.bounded(int(alphabet.size())));
            const std::optional<float> value = Numbers::fromMeter(text);
            if (!value)
                continue;
            ++accepted;
            const QString context = QStringLiteral("[%1] -> %2").arg(text).arg(double(*value));
            QVERIFY2(std::isfinite(*value), qPrintable(context));
            // A zero can only come from a text that is written as zero (or underflows).
            const bool saysZero = !text.contains(QRegularExpression(QStringLiteral("[1-9]")));
            QVERIFY2(*value != 0.0f || saysZero || text.contains(QLatin1Char('-')) ||
                         text.contains(QLatin1Char('e')) || text.contains(QLatin1Char('E')),
                     qPrintable(context));
            // What reads as a number is a number to the C library too.
            bool ok = false;
            QString(text).trimmed().toDouble(&ok);
            QVERIFY2(ok, qPrintable(context));
        }
        QVERIFY(accepted > 100);
    }
};

QTEST_GUILESS_MAIN(RandomisedTest)
#include "tst_randomised.moc"
