// REALFT and FOUR1 against exact bins of synthetic signals and against a plain DFT.
#include "spectrum/real_fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
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
