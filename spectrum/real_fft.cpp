#include "real_fft.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

// A twiddle factor as it multiplies the data: the double recurrence value rounded to single.
inline double AsSingle(double v) {
    return static_cast<double>(static_cast<float>(v));
}

// Twiddle factors taken at a time from the recurrence, held on the stack (4 KB for re and im).
constexpr std::int32_t kTwiddleRun = 256;

// One butterfly on the pairs at i and i + mmax with the single-rounded twiddle (wrs, wis).
inline void Butterfly(double* d, std::int32_t i, std::int32_t mmax, double wrs, double wis) {
    const std::int32_t k = i + mmax;
    const double tempr = wrs * d[k] - wis * d[k + 1];
    const double tempi = wrs * d[k + 1] + wis * d[k];
    d[k] = d[i] - tempr;
    d[k + 1] = d[i + 1] - tempi;
    d[i] += tempr;
    d[i + 1] += tempi;
}

} // namespace

void FOUR1(std::span<double> data, std::int32_t nn, std::int16_t Isign) {
    double* d = data.data();
    const std::int32_t n = 2 * nn;

    // Bit-reversal reordering of the complex pairs.
    std::int32_t j = 1;
    for (std::int32_t i = 1; i <= n; i += 2) {
        if (j > i) {
            std::swap(d[j], d[i]);
            std::swap(d[j + 1], d[i + 1]);
        }
        std::int32_t m = n / 2;
        while (m >= 2 && j > m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }

    // Danielson-Lanczos butterflies, the twiddles from the trigonometric recurrence. Within a
    // stage every butterfly touches its own pair of values, so the twiddles are taken in runs
    // that fit on the stack and each run's butterflies go block by block through memory: every
    // value sees exactly the arithmetic of the twiddle-by-twiddle order, with fewer cache misses.
    std::int32_t mmax = 2;
    std::array<double, kTwiddleRun> wrs;
    std::array<double, kTwiddleRun> wis;
    while (n > mmax) {
        const std::int32_t istep = 2 * mmax;
        const double theta = kFftTwoPi / (Isign * mmax);
        const double half = std::sin(theta / 2);
        const double wpr = -2.0 * half * half;
        const double wpi = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        const std::int32_t twiddles = mmax / 2; // m = 1, 3, ..., mmax - 1
        for (std::int32_t first = 0; first < twiddles; first += kTwiddleRun) {
            const std::int32_t run = std::min(kTwiddleRun, twiddles - first);
            for (std::int32_t t = 0; t < run; ++t) {
                wrs[t] = AsSingle(wr);
                wis[t] = AsSingle(wi);
                const double wtemp = wr;
                wr = (wr * wpr - wi * wpi) + wr;
                wi = (wi * wpr + wtemp * wpi) + wi;
            }
            for (std::int32_t block = 1 + 2 * first; block <= n; block += istep) {
                for (std::int32_t t = 0; t < run; ++t) {
                    Butterfly(d, block + 2 * t, mmax, wrs[t], wis[t]);
                }
            }
        }
        mmax = istep;
    }
}

void REALFT(std::span<double> data, std::int32_t n, std::int16_t Isign) {
    double* d = data.data();
    double theta = kFftPi / n;
    const double c1 = 0.5;
    double c2;
    if (Isign == 1) {
        c2 = -0.5;
        FOUR1(data, n, 1);
    } else {
        c2 = 0.5;
        theta = -theta;
    }
    const double half = std::sin(theta / 2);
    const double wpr = -2.0 * half * half;
    const double wpi = std::sin(theta);
    double wr = 1.0 + wpr;
    double wi = wpi;
    const std::int32_t n2p3 = 2 * n + 3;
    // The last pass (i = n/2 + 1) has i1 = i3 and handles bin n/2 by itself.
    const std::int32_t last = n / 2 + 1;
    for (std::int32_t i = 2; i <= last; ++i) {
        const std::int32_t i1 = 2 * i - 1;
        const std::int32_t i2 = i1 + 1;
        const std::int32_t i3 = n2p3 - i2;
        const std::int32_t i4 = i3 + 1;
        const double wrs = AsSingle(wr);
        const double wis = AsSingle(wi);
        const double h1r = c1 * (d[i1] + d[i3]);
        const double h1i = c1 * (d[i2] - d[i4]);
        const double h2r = -c2 * (d[i2] + d[i4]);
        const double h2i = c2 * (d[i1] - d[i3]);
        d[i1] = h1r + wrs * h2r - wis * h2i;
        d[i2] = h1i + wrs * h2i + wis * h2r;
        d[i3] = h1r - wrs * h2r + wis * h2i;
        d[i4] = -h1i + wrs * h2i + wis * h2r;
        const double wtemp = wr;
        wr = (wr * wpr - wi * wpi) + wr;
        wi = (wi * wpr + wtemp * wpi) + wi;
    }
    const double h1r = d[1];
    if (Isign == 1) {
        d[1] = h1r + d[2];
        d[2] = h1r - d[2];
    } else {
        d[1] = c1 * (h1r + d[2]);
        d[2] = c1 * (h1r - d[2]);
        FOUR1(data, n, -1);
    }
}
