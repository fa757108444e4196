// The in-place radix-2 transforms of the spectrum view: FOUR1 (complex) and REALFT (real).
// Arrays are 1-based: element 0 of the span is never touched. Double data, twiddle factors
// from a double recurrence rounded to single precision where they multiply the data, the
// positive exponent for Isign = +1, no scaling. Every value comes out with the same bits as
// from the plain loop order (bit reversal, then each stage twiddle by twiddle, block by block).
// No toolkit, no allocation; at most about 110 KB of stack (twiddle tables).
#pragma once

#include <cstdint>
#include <span>

// pi and 2 pi as the fifteen-digit literals the transforms use.
constexpr double kFftPi = 3.14159265358979;
constexpr double kFftTwoPi = 6.28318530717959;

// Replaces nn complex values held as (re, im) pairs in data[1..2nn] by
// C_k = sum_j c_j exp(Isign 2 pi i jk / nn), in natural order. nn is a power of two >= 2.
void FOUR1(std::span<double> data, std::int32_t nn, std::int16_t Isign);

// Isign = +1: replaces 2n real values in data[1..2n] by the packed spectrum: data[1] = F_0,
// data[2] = F_n, data[2k+1], data[2k+2] = re, im of F_k (k = 1 .. n-1). Isign = -1: the
// inverse up to the factor n. n is a power of two >= 2.
void REALFT(std::span<double> data, std::int32_t n, std::int16_t Isign);
