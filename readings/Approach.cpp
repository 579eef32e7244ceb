// The projection of a settling series.
#include "readings/Approach.h"

#include <algorithm>

namespace {

// How many standard deviations of the noise a projection allows either way.
constexpr double kMargin = 3.0;
// The two changes between the parts of a series that has stopped, in standard deviations.
constexpr double kUnchanged = 2.0;

} // namespace

void Approach::add(double value) {
    if (size() == 0)
        m_origin = value;
    const double distance = value - m_origin;
    m_sums.push_back(m_sums.back() + distance);
    m_weighted.push_back(m_weighted.back() + double(size() - 1) * distance);
    m_squares.push_back(m_squares.back() + distance * distance);
}

Approach::Settled Approach::settled(int window) const {
    Settled settled;
    const int n = size();
    const int part = n / 3;
    const int span = std::min(n, std::max(window, part));
    if (part < 1 || span < 3)
        return settled;
    // The noise: the readings' spread about their least-squares line over the span.
    const int first = n - span;
    const double sum = m_sums[size_t(n)] - m_sums[size_t(first)];
    const double weighted = m_weighted[size_t(n)] - m_weighted[size_t(first)];
    const double squares = m_squares[size_t(n)] - m_squares[size_t(first)];
    const double middle = double(first + n - 1) / 2.0;
    const double moments = weighted - middle * sum;
    const double spread = squares - sum * sum / double(span);
    const double leverage = double(span) * (double(span) * double(span) - 1.0) / 12.0;
    const double residual = std::max(0.0, spread - moments * moments / leverage);
    const double noise = std::sqrt(residual / double(span - 2));
    settled.noise = noise;

    const auto meanOf = [this, part](int from) {
        return (m_sums[size_t(from + part)] - m_sums[size_t(from)]) / double(part);
    };
    const double m1 = meanOf(n - 3 * part);
    const double m2 = meanOf(n - 2 * part);
    const double m3 = meanOf(n - part);
    const double earlier = m2 - m1;
    const double later = m3 - m2;
    const double meanNoise = noise / std::sqrt(double(part));
    const double changeNoise = noise * std::sqrt(2.0 / double(part));
    // The largest later change and the smallest earlier one the noise allows.
    const double laterAtMost = std::fabs(later) + kMargin * changeNoise;
    const double earlierAtLeast = std::fabs(earlier) - kMargin * changeNoise;
    const bool sameWay = earlier * later >= 0.0 || std::fabs(later) <= kMargin * changeNoise;
    if (sameWay && earlierAtLeast > laterAtMost) {
        // Slowing down: the last part's mean has at most `toCome` still to go, in the
        // direction of the earlier change.
        const double factor = laterAtMost / earlierAtLeast;
        const double toCome = laterAtMost * factor / (1.0 - factor);
        const double way = earlier > 0.0 ? 1.0 : -1.0;
        const double near = m3 - way * kMargin * meanNoise;
        const double far = m3 + way * (toCome + kMargin * meanNoise);
        settled.low = m_origin + std::min(near, far);
        settled.high = m_origin + std::max(near, far);
    } else if (std::fabs(earlier) <= kUnchanged * changeNoise &&
               std::fabs(later) <= kUnchanged * changeNoise) {
        // No change beyond the noise: settled, once the parts are long enough for a slow
        // approach to have shown itself.
        if (part < window) {
            settled.confirmAfter = 3 * window;
            return settled;
        }
        const double reach = std::fabs(later) + kMargin * meanNoise;
        settled.low = m_origin + m3 - reach;
        settled.high = m_origin + m3 + reach;
    }
    return settled;
}
