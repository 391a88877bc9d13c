// The processor's filters as digital biquads at 48 kHz, and their magnitude responses: crossover slopes by
// their codes, peaking and shelving EQ bands. Shared by the response graph and `velactl curve`, so that the
// picture and the printed curve are the same arithmetic.
#pragma once

#include <array>

namespace vela::filter {

inline constexpr double kSampleRate = 48000.0;
// 2 pi as the device writes it (15 digits), so that corner frequencies land where the device puts them.
inline constexpr double kTwoPi = 6.28318530717958;

// EQ band types; any other value is a peaking band.
enum BandType : int { kHighShelf = 5, kLowShelf = 6, kPeaking = 7, kBandOff = 0x8000 };

// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2); the default is flat.
struct Biquad {
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

Biquad HighPass1(double f0);
Biquad LowPass1(double f0);
Biquad HighPass2(double f0, double q);
Biquad LowPass2(double f0, double q);
// a = 10^(gain dB / 40).
Biquad Peaking(double f0, double q, double a);
// Shelves use k sin(w0) for the cookbook's 2 sqrt(A) alpha, with k = sqrt(A) / Q up to Q 2 and
// sqrt(A) / 2 above: a shelf never gets steeper than at Q 2.
Biquad HighShelf(double f0, double q, double a);
Biquad LowShelf(double f0, double q, double a);

// Up to four sections in series; none is flat.
struct Cascade {
    std::array<Biquad, 4> sections{};
    int count = 0;
    void Add(const Biquad& b) {
        if (count < static_cast<int>(sections.size()))
            sections[static_cast<std::size_t>(count++)] = b;
    }
};

// Even codes are high-pass, odd codes low-pass. Codes outside the device's slope table (8..63 without
// 34, 35, 38, 39) give a flat cascade, and so does a filter that is off: below 19.7 Hz, or at the top
// (a high-pass above 20600 Hz, a low-pass from 20600 Hz up). variable_q serves codes 32, 33, 36, 37.
Cascade PassFilter(int code, double f0, double variable_q);

// gain_tenths: the band's gain in tenths of a dB. Type 0x8000 is flat.
Biquad Band(int type, double f0, double q, int gain_tenths);
// 10^(gain / 40) of a gain in tenths of a dB.
double GainFactor(int gain_tenths);

// The sine and cosine of one analysis frequency and its double, computed once per axis column.
struct Point {
    double cos_w = 1.0;
    double sin_w = 0.0;
    double cos_2w = 1.0;
    double sin_2w = 0.0;
};
Point PointAt(double hz);

// 20 log10 |H| of a section, with |H|^2, its square root and its logarithm each in single precision as
// the device's software computes them. Never infinite or NaN: a null is held at -300 dB.
double SectionDb(const Biquad& b, const Point& p);
double CascadeDb(const Cascade& c, const Point& p);

}  // namespace vela::filter
