#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// The best and the median of runs timings, in seconds.
struct Timing
{
    double best;
    double median;
};

// The best and the median of timings (at least one).
inline Timing summary(std::vector<double> s)
{
    std::sort(s.begin(), s.end());
    return {s.front(), s[s.size() / 2]};
}

inline Timing timeIt(int runs, const std::function<void()> &f)
{
    std::vector<double> s;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        s.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    return summary(std::move(s));
}

} // namespace bench
