// REALFT and FOUR1 against exact bins of synthetic signals and against a plain DFT, and bit
// for bit against the same transforms written in their plain loop order.
#include "spectrum/real_fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A 1-based block of m samples x_j = sample(j), j = 0 .. m-1.
std::vector<double> Block(int m, const std::function<double(int)>& sample) {
    std::vector<double> y(static_cast<std::size_t>(m) + 1, 0.0);
    for (int j = 0; j < m; ++j) {
        y[static_cast<std::size_t>(j) + 1] = sample(j);
    }
    return y;
}

std::vector<double> Packed(int m, const std::function<double(int)>& sample) {
    auto y = Block(m, sample);
    REALFT(y, m / 2, 1);
    return y;
}

// F_k = sum_j x_j exp(+2 pi i jk / m), in double precision.
std::complex<double> Dft(const std::vector<double>& y, int m, int k) {
    std::complex<double> sum;
    for (int j = 0; j < m; ++j) {
        const double angle =
            2.0 * kPi * static_cast<double>((static_cast<std::int64_t>(j) * k) % m) / m;
        sum += y[static_cast<std::size_t>(j) + 1] *
               std::complex<double>(std::cos(angle), std::sin(angle));
    }
    return sum;
}

// Every index of the packed block except those listed is below `tolerance` in magnitude.
void ExpectZeroExcept(const std::vector<double>& y, std::vector<std::size_t> except,
                      double tolerance) {
    for (std::size_t i = 1; i < y.size(); ++i) {
        if (std::find(except.begin(), except.end(), i) == except.end()) {
            EXPECT_LT(std::abs(y[i]), tolerance) << "index " << i;
        }
    }
}

// The transforms in their plain loop order: bit reversal by the running reversed index, then
// each stage twiddle by twiddle and block by block, the twiddles from the recurrence rounded
// to single where they multiply. The library may visit butterflies in another order, but
// every value must come out with the same bits.
double Single(double v) {
    return static_cast<double>(static_cast<float>(v));
}

void PlainFour1(std::vector<double>& data, std::int32_t nn, std::int16_t isign) {
    double* d = data.data();
    const std::int32_t n = 2 * nn;
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
    for (std::int32_t mmax = 2; n > mmax; mmax *= 2) {
        const std::int32_t istep = 2 * mmax;
        const double theta = kFftTwoPi / (isign * mmax);
        const double half = std::sin(theta / 2);
        const double wpr = -2.0 * half * half;
        const double wpi = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (std::int32_t m = 1; m < mmax; m += 2) {
            const double wrs = Single(wr);
            const double wis = Single(wi);
            for (std::int32_t i = m; i <= n; i += istep) {
                const std::int32_t k = i + mmax;
                const double tempr = wrs * d[k] - wis * d[k + 1];
                const double tempi = wrs * d[k + 1] + wis * d[k];
                d[k] = d[i] - tempr;
                d[k + 1] = d[i + 1] - tempi;
                d[i] += tempr;
                d[i + 1] += tempi;
            }
            const double wtemp = wr;
            wr = (wr * wpr - wi * wpi) + wr;
            wi = (wi * wpr + wtemp * wpi) + wi;
        }
    }
}

void PlainRealft(std::vector<double>& data, std::int32_t n, std::int16_t isign) {
    double* d = data.data();
    double theta = kFftPi / n;
    const double c1 = 0.5;
    double c2 = -0.5;
    if (isign == 1) {
        PlainFour1(data, n, 1);
    } else {
        c2 = 0.5;
        theta = -theta;
    }
    const double half = std::sin(theta / 2);
    const double wpr = -2.0 * half * half;
    const double wpi = std::sin(theta);
    double wr = 1.0 + wpr;
    double wi = wpi;
    for (std::int32_t i = 2; i <= n / 2 + 1; ++i) {
        const std::int32_t i1 = 2 * i - 1;
        const std::int32_t i2 = i1 + 1;
        const std::int32_t i3 = 2 * n + 3 - i2;
        const std::int32_t i4 = i3 + 1;
        const double wrs = Single(wr);
        const double wis = Single(wi);
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
    if (isign == 1) {
        d[1] = h1r + d[2];
        d[2] = h1r - d[2];
    } else {
        d[1] = c1 * (h1r + d[2]);
        d[2] = c1 * (h1r - d[2]);
        PlainFour1(data, n, -1);
    }
}

// The index of the first value whose bits differ, or -1.
long FirstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

} // namespace

TEST(RealFft, SineOfFiveCyclesHasPositiveImaginaryPartAtIndex12) {
    const auto y = Packed(64, [](int j) { return std::sin(2 * kPi * 5 * j / 64); });
    EXPECT_NEAR(y[12], 32.0, 1e-5);
    ExpectZeroExcept(y, {12}, 1e-5);
}

TEST(RealFft, CosineOfThreeCyclesGivesHalfTheBlockAtIndex7) {
    const auto y = Packed(64, [](int j) { return std::cos(2 * kPi * 3 * j / 64); });
    EXPECT_NEAR(y[7], 32.0, 1e-5);
    ExpectZeroExcept(y, {7}, 1e-5);
}

TEST(RealFft, ImpulseGivesOneInEveryRealPart) {
    const auto y = Packed(64, [](int j) { return j == 0 ? 1.0 : 0.0; });
    EXPECT_NEAR(y[1], 1.0, 1e-12);
    EXPECT_NEAR(y[2], 1.0, 1e-12);
    for (std::size_t i = 3; i <= 63; i += 2) {
        EXPECT_NEAR(y[i], 1.0, 1e-7) << "index " << i;
        EXPECT_NEAR(y[i + 1], 0.0, 1e-7) << "index " << i + 1;
    }
}

TEST(RealFft, ConstantAndAlternatingBlocks) {
    const auto constant = Packed(64, [](int) { return 2.0; });
    EXPECT_DOUBLE_EQ(constant[1], 128.0);
    ExpectZeroExcept(constant, {1}, 1e-9);

    const auto alternating = Packed(64, [](int j) { return j % 2 == 0 ? 1.0 : -1.0; });
    EXPECT_DOUBLE_EQ(alternating[2], 64.0);
    ExpectZeroExcept(alternating, {2}, 1e-9);
}

TEST(RealFft, AgreesWithPlainDftForEverySize) {
    std::mt19937 rng(20240611);
    std::normal_distribution<double> noise(0.0, 300.0);
    for (int m = 4; m <= 32768; m *= 2) {
        // A tone with harmonics over noise, like a selection of sound.
        const auto x = Block(m, [&](int j) {
            const double t = static_cast<double>(j) / m;
            return 8000 * std::sin(2 * kPi * 3.3 * t) + 3000 * std::cos(2 * kPi * 6.6 * t + 1) +
                   noise(rng);
        });
        auto y = x;
        REALFT(y, m / 2, 1);

        // Every bin for the small sizes; a spread of bins (ends included) for the large ones.
        std::vector<int> bins;
        const int step = m <= 4096 ? 1 : m / 2 / 97;
        for (int k = 0; k <= m / 2; k += step) {
            bins.push_back(k);
        }
        bins.push_back(m / 2 - 1);
        bins.push_back(m / 2);
        std::vector<std::complex<double>> exact;
        double largest = 0;
        for (int k : bins) {
            exact.push_back(Dft(x, m, k));
            largest = std::max(largest, std::abs(exact.back()));
        }
        const double tolerance = 1e-7 * largest;
        for (std::size_t b = 0; b < bins.size(); ++b) {
            const int k = bins[b];
            const auto i = static_cast<std::size_t>(2 * k + 1);
            if (k == 0) {
                EXPECT_NEAR(y[1], exact[b].real(), tolerance) << "m " << m;
            } else if (k == m / 2) {
                EXPECT_NEAR(y[2], exact[b].real(), tolerance) << "m " << m;
            } else {
                EXPECT_NEAR(y[i], exact[b].real(), tolerance) << "m " << m << " bin " << k;
                EXPECT_NEAR(y[i + 1], exact[b].imag(), tolerance) << "m " << m << " bin " << k;
            }
        }
    }
}

TEST(RealFft, Four1TransformsComplexValuesInNaturalOrder) {
    // Four complex values; C_k = sum_j c_j exp(+2 pi i jk / 4) and the inverse sign.
    const std::vector<std::complex<double>> c{{1, 2}, {-3, 0.5}, {4, -1}, {0.25, 7}};
    for (std::int16_t sign : {1, -1}) {
        std::vector<double> data{0, 1, 2, -3, 0.5, 4, -1, 0.25, 7};
        FOUR1(data, 4, sign);
        for (int k = 0; k < 4; ++k) {
            std::complex<double> expected;
            for (int j = 0; j < 4; ++j) {
                expected +=
                    c[static_cast<std::size_t>(j)] * std::polar(1.0, sign * 2 * kPi * j * k / 4);
            }
            EXPECT_NEAR(data[static_cast<std::size_t>(2 * k + 1)], expected.real(), 1e-6) << sign;
            EXPECT_NEAR(data[static_cast<std::size_t>(2 * k + 2)], expected.imag(), 1e-6) << sign;
        }
    }
}

TEST(RealFft, InverseRestoresTheBlockTimesN) {
    const auto x = Block(256, [](int j) { return std::sin(j * 0.37) * 100 + j % 7; });
    auto y = x;
    REALFT(y, 128, 1);
    REALFT(y, 128, -1);
    // Single-precision twiddles: agreement to about one part in 10^7 of the largest value.
    for (std::size_t i = 1; i < y.size(); ++i) {
        EXPECT_NEAR(y[i], 128 * x[i], 1e-6 * 128 * 110) << i;
    }
    EXPECT_EQ(y[0], 0.0); // element 0 is never touched
}

TEST(RealFft, SameBitsAsThePlainLoopOrderForEverySize) {
    // Tones over noise, and the same with a silent stretch that holds negative zeros, whose
    // signs the butterflies must carry as the plain order does. Up to the largest padded size.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> hiss(-2048, 2047);
    for (int m = 4; m <= 262144; m *= 2) {
        for (const bool silence : {false, true}) {
            const auto x = Block(m, [&](int j) {
                if (silence && j % 5 != 0 && j > m / 3 && j < m / 2) {
                    return j % 2 == 0 ? 0.0 : -0.0;
                }
                const double t = j / 44100.0;
                return 9000 * std::sin(2 * kPi * 329.63 * t) +
                       3000 * std::sin(2 * kPi * 659.26 * t) + hiss(rng);
            });
            auto fast = x;
            auto plain = x;
            REALFT(fast, m / 2, 1);
            PlainRealft(plain, m / 2, 1);
            EXPECT_EQ(FirstDifference(fast, plain), -1) << "forward, m " << m << " " << silence;
            REALFT(fast, m / 2, -1);
            PlainRealft(plain, m / 2, -1);
            EXPECT_EQ(FirstDifference(fast, plain), -1) << "inverse, m " << m << " " << silence;

            // The complex transform on its own, both signs, on the same values as m/2 pairs.
            for (const std::int16_t sign : {1, -1}) {
                auto c = x;
                auto p = x;
                FOUR1(c, m / 2, sign);
                PlainFour1(p, m / 2, sign);
                EXPECT_EQ(FirstDifference(c, p), -1) << "FOUR1 " << sign << ", m " << m;
            }
        }
    }
}
