// Where a settling series is going: a winding charging or a conductor warming approaches its
// final value exponentially, so the means of three equal, consecutive parts of the series
// differ by a constant factor, and the change still to come follows from the changes seen
// (each a constant fraction of the one before). The readings since the last Range Error or
// Clear are kept as running sums, so a projection costs the same after a hundred thousand
// readings as after ten.
#pragma once

#include <cmath>
#include <vector>

class Approach {
public:
    // The values the series can still settle at, allowing for its noise; all values while
    // the approach cannot be told from the readings yet.
    struct Settled {
        double low = -HUGE_VAL;
        double high = HUGE_VAL;
        double noise = 0.0; // one standard deviation of the newest readings about their trend
        // Readings needed to show that a series without a visible approach has stopped
        // changing (0: none): three parts of at least the window each.
        int confirmAfter = 0;
    };

    void add(double value);
    void clear() { *this = Approach(); }
    int size() const { return int(m_sums.size()) - 1; }

    // Projected from the three parts of the readings, with the noise of the last third or of
    // the newest `window` readings, whichever is longer.
    Settled settled(int window) const;

private:
    // Running sums from the first reading on, of the readings' distances from the first one
    // (small numbers keep their digits in the squares), of those times their number, and of
    // their squares.
    double m_origin = 0.0;
    std::vector<double> m_sums{0.0};
    std::vector<double> m_weighted{0.0};
    std::vector<double> m_squares{0.0};
};
