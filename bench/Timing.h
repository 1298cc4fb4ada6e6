// Timing for the benchmarks: CPU time, the median of runs, and a pair of
// measurements taken in turns so that a slower spell of the machine hits
// both.
#pragma once

#include <time.h>

#include <algorithm>
#include <vector>

// CPU seconds this process has used.
inline double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Median CPU seconds of `runs` calls of f.
template <class F>
double median(int runs, F f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const double start = cpuSeconds();
        f();
        t.push_back(cpuSeconds() - start);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// CPU seconds of f(i) and of g(i) for i from 0 to runs - 1, run in turns so
// that a slower spell of the machine hits both, each first every other turn
// (what runs second finds the file cache and the memory as the first left
// them): the median of each, and the median of the ratio within each pair.
struct Pair {
    double f, g, ratio;
};
template <class F, class G>
Pair interleaved(int runs, F f, G g) {
    std::vector<double> a, b, ratios;
    for (int i = 0; i < runs; ++i) {
        const auto timeF = [&] { a.push_back(median(1, [&] { f(i); })); };
        const auto timeG = [&] { b.push_back(median(1, [&] { g(i); })); };
        if (i % 2) {
            timeG();
            timeF();
        } else {
            timeF();
            timeG();
        }
        ratios.push_back(a.back() / b.back());
    }
    for (auto* v : {&a, &b, &ratios}) std::sort(v->begin(), v->end());
    return {a[a.size() / 2], b[b.size() / 2], ratios[ratios.size() / 2]};
}

