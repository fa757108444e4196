#include "real_fft.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

// Every value gets exactly the arithmetic of the plain loop order (bit reversal, then each
// stage twiddle by twiddle and block by block): the same products and sums in the same order,
// the twiddles from the same recurrences rounded to single where they multiply. Only the
// order of butterflies that touch different values changes. The real and imaginary parts of a
// value go side by side through a Pair, each with its own arithmetic; x - y is done as
// x + (-y) and (-w) x as -(w x), which IEEE arithmetic defines to be the same numbers. The
// file is built without contraction into fused multiply-adds.

namespace {

// Twiddle factors taken at a time from a recurrence by a pass with many blocks.
constexpr std::int32_t kTwiddleRun = 128;
// Two stages go in one pass while the first has at most this many twiddles (a table of the
// second stage's first half: 8 bytes a twiddle on the stack).
constexpr std::int32_t kPairTwiddles = 4096;
// A paired pass over at most this many groups of values goes twiddle by twiddle.
constexpr std::int32_t kFewGroups = 2;
// REALFT's own twiddles are worked out during the complex transform's last pass when there
// are at most this many (8 bytes each on the stack).
constexpr std::int32_t kAheadTwiddles = 8192;

// Two doubles handled side by side: (low, high). SSE2 where there is one, else two doubles;
// each half gets its own IEEE double arithmetic either way.
#if defined(__SSE2__)
struct Pair {
    __m128d v;
};
inline Pair Make(double low, double high) {
    return {_mm_set_pd(high, low)};
}
inline Pair Load(const double* p) {
    return {_mm_loadu_pd(p)};
}
inline void Store(double* p, Pair a) {
    _mm_storeu_pd(p, a.v);
}
inline Pair operator+(Pair a, Pair b) {
    return {_mm_add_pd(a.v, b.v)};
}
inline Pair operator-(Pair a, Pair b) {
    return {_mm_sub_pd(a.v, b.v)};
}
inline Pair operator*(Pair a, Pair b) {
    return {_mm_mul_pd(a.v, b.v)};
}
// (high, low).
inline Pair Swapped(Pair a) {
    return {_mm_shuffle_pd(a.v, a.v, 1)};
}
// (a.low, b.low) and (a.high, b.high).
inline Pair Lows(Pair a, Pair b) {
    return {_mm_unpacklo_pd(a.v, b.v)};
}
inline Pair Highs(Pair a, Pair b) {
    return {_mm_unpackhi_pd(a.v, b.v)};
}
// (-low, high) and (low, -high): a sign bit flipped, exactly.
inline Pair LowNegated(Pair a) {
    return {_mm_xor_pd(a.v, _mm_set_pd(0.0, -0.0))};
}
inline Pair HighNegated(Pair a) {
    return {_mm_xor_pd(a.v, _mm_set_pd(-0.0, 0.0))};
}
// Both halves rounded to single.
inline Pair Single(Pair a) {
    return {_mm_cvtps_pd(_mm_cvtpd_ps(a.v))};
}
// Both halves as singles at p[0], p[1], and back.
inline void StoreSingles(float* p, Pair a) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(a.v)));
}
inline Pair LoadSingles(const float* p) {
    return {_mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))))};
}
inline double Low(Pair a) {
    return _mm_cvtsd_f64(a.v);
}
inline double High(Pair a) {
    return _mm_cvtsd_f64(_mm_unpackhi_pd(a.v, a.v));
}
#else
struct Pair {
    double low, high;
};
inline Pair Make(double low, double high) {
    return {low, high};
}
inline Pair Load(const double* p) {
    return {p[0], p[1]};
}
inline void Store(double* p, Pair a) {
    p[0] = a.low;
    p[1] = a.high;
}
inline Pair operator+(Pair a, Pair b) {
    return {a.low + b.low, a.high + b.high};
}
inline Pair operator-(Pair a, Pair b) {
    return {a.low - b.low, a.high - b.high};
}
inline Pair operator*(Pair a, Pair b) {
    return {a.low * b.low, a.high * b.high};
}
inline Pair Swapped(Pair a) {
    return {a.high, a.low};
}
inline Pair Lows(Pair a, Pair b) {
    return {a.low, b.low};
}
inline Pair Highs(Pair a, Pair b) {
    return {a.high, b.high};
}
inline Pair LowNegated(Pair a) {
    return {-a.low, a.high};
}
inline Pair HighNegated(Pair a) {
    return {a.low, -a.high};
}
inline Pair Single(Pair a) {
    return {static_cast<float>(a.low), static_cast<float>(a.high)};
}
inline void StoreSingles(float* p, Pair a) {
    p[0] = static_cast<float>(a.low);
    p[1] = static_cast<float>(a.high);
}
inline Pair LoadSingles(const float* p) {
    return {p[0], p[1]};
}
inline double Low(Pair a) {
    return a.low;
}
inline double High(Pair a) {
    return a.high;
}
#endif

// The trigonometric recurrence of the twiddles: (wr, wi) and the step to the next.
struct Recurrence {
    double wr;
    double wi;
    double wpr;
    double wpi;

    // From (1, 0), stepping by the angle theta.
    static Recurrence From1(double theta) {
        const double half = std::sin(theta / 2);
        const double wpr = -2.0 * half * half;
        return {1.0, 0.0, wpr, std::sin(theta)};
    }
    // The stage whose butterflies span mmax doubles.
    static Recurrence Stage(std::int32_t mmax, std::int16_t Isign) {
        return From1(kFftTwoPi / (Isign * mmax));
    }
    void Step() {
        const double wtemp = wr;
        wr = (wr * wpr - wi * wpi) + wr;
        wi = (wi * wpr + wtemp * wpi) + wi;
    }
    // The twiddle rounded to single, as it multiplies the data, at w[0], w[1].
    void Single(float* w) const {
        w[0] = static_cast<float>(wr);
        w[1] = static_cast<float>(wi);
    }
};

// Two recurrences advanced side by side: independent, so the second costs next to no time.
class TwoRecurrences {
  public:
    TwoRecurrences(const Recurrence& a, const Recurrence& b)
        : wr_(Make(a.wr, b.wr)), wi_(Make(a.wi, b.wi)), wpr_(Make(a.wpr, b.wpr)),
          wpi_(Make(a.wpi, b.wpi)) {}
    void Step() {
        const Pair wtemp = wr_;
        wr_ = (wr_ * wpr_ - wi_ * wpi_) + wr_;
        wi_ = (wi_ * wpr_ + wtemp * wpi_) + wi_;
    }
    // The current (wr, wi) of the first and of the second recurrence.
    Pair FirstW() const { return Lows(wr_, wi_); }
    Pair SecondW() const { return Highs(wr_, wi_); }
    Recurrence First() const { return {Low(wr_), Low(wi_), Low(wpr_), Low(wpi_)}; }
    Recurrence Second() const { return {High(wr_), High(wi_), High(wpr_), High(wpi_)}; }

  private:
    Pair wr_, wi_, wpr_, wpi_;
};

// REALFT's twiddles, rounded to single, worked out by the complex transform's last pass.
struct Ahead {
    Recurrence chain;
    float* table; // (wr, wi) pairs
    std::int32_t count = 0;
};

// A single-rounded twiddle as the butterflies use it: (wr, wr) and (-wi, wi).
struct Twiddle {
    Pair wr, wi;

    Twiddle() = default;
    // From (wr, wi) already rounded to single.
    explicit Twiddle(Pair w) : wr(Lows(w, w)), wi(LowNegated(Highs(w, w))) {}
    // From a (wr, wi) pair of singles in a table.
    explicit Twiddle(const float* w) : Twiddle(LoadSingles(w)) {}
};

// (wr re - wi im, wr im + wi re) of the value x = (re, im).
inline Pair Times(Pair x, const Twiddle& w) {
    return w.wr * x + w.wi * Swapped(x);
}

// One butterfly: the value at pk is turned by w, then pk gets the difference, pi the sum.
inline void Butterfly(double* pi, double* pk, const Twiddle& w) {
    const Pair temp = Times(Load(pk), w);
    const Pair u = Load(pi);
    Store(pk, u - temp);
    Store(pi, u + temp);
}

// Two stages on four values p0..p3, h complex values apart: the first stage's butterflies
// (p0, p1) and (p2, p3) with w1, then the second's (p0, p2) with w2 and (p1, p3) with w2h.
inline void TwoStageGroup(double* p0, std::ptrdiff_t h, const Twiddle& w1, const Twiddle& w2,
                          const Twiddle& w2h) {
    double* p1 = p0 + 2 * h;
    double* p2 = p1 + 2 * h;
    double* p3 = p2 + 2 * h;
    const Pair x0 = Load(p0);
    const Pair x2 = Load(p2);
    const Pair t1 = Times(Load(p1), w1);
    const Pair t3 = Times(Load(p3), w1);
    const Pair y0 = x0 + t1;
    const Pair y1 = x0 - t1;
    const Pair t2 = Times(x2 + t3, w2);
    const Pair t3h = Times(x2 - t3, w2h);
    Store(p2, y0 - t2);
    Store(p0, y0 + t2);
    Store(p3, y1 - t3h);
    Store(p1, y1 + t3h);
}

std::uint32_t Reversed(std::uint32_t v, int bits) {
    std::uint32_t r = 0;
    for (int b = 0; b < bits; ++b) {
        r = (r << 1) | ((v >> b) & 1u);
    }
    return r;
}

// Puts the nn complex values at c[0 .. 2nn) in bit-reversed order. An index is split into
// three high bits, the middle bits and three low bits; reversing it swaps and reverses the
// outer parts and reverses the middle, so the 64 values of one middle trade places with the
// 64 of the reversed middle. Each such pair of tiles is done at once, from whole cache lines,
// instead of one far swap after another.
void BitReverse(double* c, std::int32_t nn) {
    const auto swap = [c](std::uint32_t i, std::uint32_t j) {
        double* a = c + 2 * static_cast<std::size_t>(i);
        double* b = c + 2 * static_cast<std::size_t>(j);
        const Pair x = Load(a);
        Store(a, Load(b));
        Store(b, x);
    };
    int bits = 0;
    while ((std::int32_t{1} << bits) < nn) {
        ++bits;
    }
    constexpr int kEdge = 3; // bits in each outer part
    constexpr std::uint32_t kEdgeValues = 1u << kEdge;
    if (bits < 2 * kEdge) {
        for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(nn); ++i) {
            const std::uint32_t j = Reversed(i, bits);
            if (j > i) {
                swap(i, j);
            }
        }
        return;
    }
    constexpr std::array<std::uint32_t, kEdgeValues> kEdgeReversed{0, 4, 2, 6, 1, 5, 3, 7};
    const int middleBits = bits - 2 * kEdge;
    const std::uint32_t highStep = 1u << (bits - kEdge); // index step of the high part
    for (std::uint32_t m = 0; m < (1u << middleBits); ++m) {
        const std::uint32_t rm = Reversed(m, middleBits);
        if (rm < m) {
            continue; // done with its partner
        }
        for (std::uint32_t high = 0; high < kEdgeValues; ++high) {
            for (std::uint32_t low = 0; low < kEdgeValues; ++low) {
                const std::uint32_t i = high * highStep + (m << kEdge) + low;
                const std::uint32_t j =
                    kEdgeReversed[low] * highStep + (rm << kEdge) + kEdgeReversed[high];
                if (rm != m || j > i) {
                    swap(i, j);
                }
            }
        }
    }
}

// One stage on its own: the butterflies spanning 2h complex values (mmax = 2h doubles). The
// twiddles are taken in runs, and each run's butterflies go block by block through memory.
void OneStage(double* c, std::int32_t nn, std::int32_t h, std::int16_t Isign) {
    Recurrence w = Recurrence::Stage(2 * h, Isign);
    std::array<float, 2 * kTwiddleRun> run;
    for (std::int32_t first = 0; first < h; first += kTwiddleRun) {
        const std::int32_t count = std::min(kTwiddleRun, h - first);
        for (std::int32_t t = 0; t < count; ++t) {
            w.Single(&run[2 * t]);
            w.Step();
        }
        for (std::int32_t block = 0; block < nn; block += 2 * h) {
            double* p = c + 2 * static_cast<std::ptrdiff_t>(block + first);
            for (std::int32_t t = 0; t < count; ++t) {
                Butterfly(p + 2 * t, p + 2 * (t + h), Twiddle(&run[2 * t]));
            }
        }
    }
}

// The last stage on its own (one block, h = nn/2), twiddle by twiddle, with REALFT's
// recurrence beside its own.
void LastStage(double* c, std::int32_t h, std::int16_t Isign, Ahead& ahead) {
    TwoRecurrences both(Recurrence::Stage(2 * h, Isign), ahead.chain);
    float* table = ahead.table + 2 * ahead.count;
    for (std::int32_t t = 0; t < h; ++t) {
        const Twiddle w(Single(both.FirstW()));
        StoreSingles(&table[2 * t], both.SecondW());
        both.Step();
        Butterfly(c + 2 * t, c + 2 * (t + h), w);
    }
    ahead.chain = both.Second();
    ahead.count += h;
}

// The second stage's first h twiddles, rounded to single, for a paired pass.
using SecondHalf = std::array<float, 2 * kPairTwiddles>;

// Two stages in one pass: the butterflies spanning 2h, then those spanning 4h complex values,
// a group of 4h values at a time, so each value is loaded and stored once for both. A group
// at offset t needs the first stage's twiddle t and the second stage's twiddles t and t + h:
// the second stage's first h twiddles go in a table, then the first stage's recurrence and the
// rest of the second's run side by side.
void TwoStages(double* c, std::int32_t nn, std::int32_t h, std::int16_t Isign) {
    Recurrence w2 = Recurrence::Stage(4 * h, Isign);
    SecondHalf second;
    for (std::int32_t t = 0; t < h; ++t) {
        w2.Single(&second[2 * t]);
        w2.Step();
    }
    TwoRecurrences both(Recurrence::Stage(2 * h, Isign), w2);
    if (nn / (4 * h) <= kFewGroups) {
        // Few groups: twiddle by twiddle, so the recurrences run while the butterflies do.
        for (std::int32_t t = 0; t < h; ++t) {
            const Twiddle t1(Single(both.FirstW()));
            const Twiddle t2h(Single(both.SecondW()));
            const Twiddle t2(&second[2 * t]);
            both.Step();
            for (std::int32_t g = t; g < nn; g += 4 * h) {
                TwoStageGroup(c + 2 * static_cast<std::ptrdiff_t>(g), h, t1, t2, t2h);
            }
        }
        return;
    }
    // Many groups: a run of twiddles at a time, each run's groups one after another.
    std::array<Twiddle, kTwiddleRun> t1;
    std::array<Twiddle, kTwiddleRun> t2;
    std::array<Twiddle, kTwiddleRun> t2h;
    for (std::int32_t first = 0; first < h; first += kTwiddleRun) {
        const std::int32_t count = std::min(kTwiddleRun, h - first);
        for (std::int32_t t = 0; t < count; ++t) {
            t1[t] = Twiddle(Single(both.FirstW()));
            t2h[t] = Twiddle(Single(both.SecondW()));
            t2[t] = Twiddle(&second[2 * (first + t)]);
            both.Step();
        }
        for (std::int32_t g = 0; g < nn; g += 4 * h) {
            double* p = c + 2 * static_cast<std::ptrdiff_t>(g + first);
            for (std::int32_t t = 0; t < count; ++t) {
                TwoStageGroup(p + 2 * t, h, t1[t], t2[t], t2h[t]);
            }
        }
    }
}

// The last two stages in one pass (one group, h = nn/4), with REALFT's recurrence beside the
// second stage's while its table is made, and beside both stages' during the butterflies.
void LastTwoStages(double* c, std::int32_t h, std::int16_t Isign, Ahead& ahead) {
    SecondHalf second;
    float* table = ahead.table + 2 * ahead.count;
    TwoRecurrences lead(Recurrence::Stage(4 * h, Isign), ahead.chain);
    for (std::int32_t t = 0; t < h; ++t) {
        StoreSingles(&second[2 * t], lead.FirstW());
        StoreSingles(&table[2 * t], lead.SecondW());
        lead.Step();
    }
    TwoRecurrences both(Recurrence::Stage(2 * h, Isign), lead.First());
    Recurrence post = lead.Second();
    table += 2 * h;
    for (std::int32_t t = 0; t < h; ++t) {
        const Twiddle t1(Single(both.FirstW()));
        const Twiddle t2h(Single(both.SecondW()));
        const Twiddle t2(&second[2 * t]);
        both.Step();
        post.Single(&table[2 * t]);
        post.Step();
        TwoStageGroup(c + 2 * static_cast<std::ptrdiff_t>(t), h, t1, t2, t2h);
    }
    ahead.chain = post;
    ahead.count += 2 * h;
}

// FOUR1 on c[0 .. 2nn). `ahead`, when given, is stepped nn/2 times during the last pass.
void Transform(double* c, std::int32_t nn, std::int16_t Isign, Ahead* ahead) {
    BitReverse(c, nn);
    // Danielson-Lanczos stages, two at a time while the table fits.
    std::int32_t h = 1; // half the span of this stage's butterflies, in complex values
    while (h < nn) {
        if (2 * h < nn && h <= kPairTwiddles) {
            if (ahead && 4 * h == nn) {
                LastTwoStages(c, h, Isign, *ahead);
            } else {
                TwoStages(c, nn, h, Isign);
            }
            h *= 4;
        } else {
            if (ahead && 2 * h == nn) {
                LastStage(c, h, Isign, *ahead);
            } else {
                OneStage(c, nn, h, Isign);
            }
            h *= 2;
        }
    }
}

// One pass of REALFT's untangling: bins i - 1 and n - i + 1 from the packed halves, with the
// single-rounded twiddle w = (wrs, wis), halves = (c1, c1) and signs = (-c2, c2). On the pairs
// a = (d[i1], d[i2]) and b = (d[i3], d[i4]) of the plain loop, each value gets its arithmetic:
//   h1r = c1 (d[i1] + d[i3])   h1i = c1 (d[i2] - d[i4])
//   h2r = -c2 (d[i2] + d[i4])  h2i = c2 (d[i1] - d[i3])
//   d[i1] = h1r + wrs h2r - wis h2i   d[i2] = h1i + wrs h2i + wis h2r
//   d[i3] = h1r - wrs h2r + wis h2i   d[i4] = -h1i + wrs h2i + wis h2r
inline void Untangle(double* d, std::int32_t i, std::int32_t n, Pair halves, Pair signs, Pair w) {
    double* pa = d + 2 * i - 1;
    double* pb = d + 2 * n + 3 - 2 * i;
    const Pair a = Load(pa);
    const Pair b = Load(pb);
    const Pair sum = a + b;
    const Pair difference = a - b;
    const Pair h1 = halves * Lows(sum, Swapped(difference)); // (h1r, h1i)
    const Pair h2 = signs * Lows(Swapped(sum), difference);  // (h2r, h2i)
    const Pair wr = Lows(w, w);
    const Pair wi = Highs(w, w);
    const Pair crossed = Swapped(h2); // (h2i, h2r)
    Store(pa, (h1 + wr * h2) + LowNegated(wi) * crossed);
    Store(pb, (HighNegated(h1) + LowNegated(wr) * h2) + wi * crossed);
}

} // namespace

void FOUR1(std::span<double> data, std::int32_t nn, std::int16_t Isign) {
    Transform(data.data() + 1, nn, Isign, nullptr);
}

void REALFT(std::span<double> data, std::int32_t n, std::int16_t Isign) {
    double* d = data.data();
    const double c1 = 0.5;
    const double c2 = Isign == 1 ? -0.5 : 0.5;
    Recurrence w = Recurrence::From1(Isign == 1 ? kFftPi / n : -(kFftPi / n));
    w.wr = 1.0 + w.wpr;
    w.wi = w.wpi;
    // The last pass (i = n/2 + 1) has i1 = i3 and handles bin n/2 by itself.
    const std::int32_t last = n / 2 + 1;
    const Pair halves = Make(c1, c1);
    const Pair signs = Make(-c2, c2);
    if (Isign == 1 && n / 2 <= kAheadTwiddles) {
        std::array<float, 2 * kAheadTwiddles> table;
        Ahead ahead{w, table.data()};
        Transform(d + 1, n, 1, &ahead);
        for (std::int32_t i = 2; i <= last; ++i) {
            Untangle(d, i, n, halves, signs, LoadSingles(&table[2 * (i - 2)]));
        }
    } else {
        if (Isign == 1) {
            Transform(d + 1, n, 1, nullptr);
        }
        for (std::int32_t i = 2; i <= last; ++i) {
            Untangle(d, i, n, halves, signs, Single(Make(w.wr, w.wi)));
            w.Step();
        }
    }
    const double h1r = d[1];
    if (Isign == 1) {
        d[1] = h1r + d[2];
        d[2] = h1r - d[2];
    } else {
        d[1] = c1 * (h1r + d[2]);
        d[2] = c1 * (h1r - d[2]);
        Transform(d + 1, n, -1, nullptr);
    }
}
