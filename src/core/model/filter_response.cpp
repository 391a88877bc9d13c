#include "core/model/filter_response.h"

#include <cmath>

namespace vela::filter {
namespace {

constexpr double kLowestCorner = 19.7;
constexpr double kTopCorner = 20600.0;
constexpr double kShelfQLimit = 2.0;
constexpr float kFloorPower = 1e-30f;  // -300 dB: a null never becomes -inf

bool Finite(const Biquad& b) {
    return std::isfinite(b.b0) && std::isfinite(b.b1) && std::isfinite(b.b2) && std::isfinite(b.a1) &&
           std::isfinite(b.a2);
}

// Divides by a0; anything that does not come out finite (a zero frequency or Q) is flat.
Biquad Normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    Biquad b{b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
    return Finite(b) ? b : Biquad{};
}

bool Usable(double f0) {
    return std::isfinite(f0) && f0 > 0.0;
}

struct Angle {
    double sin;
    double cos;
};
Angle AngleOf(double f0) {
    const double w0 = kTwoPi * f0 / kSampleRate;
    return {std::sin(w0), std::cos(w0)};
}

// One step of a slope: a first-order section, a second-order one with a stored Q squared, or a
// second-order one with the filter's variable Q.
struct Step {
    enum Kind { kNone, kFirst, kSecond, kVariable } kind = kNone;
    double q2 = 0.0;
};
constexpr Step F{Step::kFirst, 0.0};
constexpr Step V{Step::kVariable, 0.0};
constexpr Step S(double q2) {
    return {Step::kSecond, q2};
}

struct Slope {
    int high_pass_code;
    std::array<Step, 4> high;
    std::array<Step, 4> low;
};

// The device's slope table; each low-pass Q is stored apart from its high-pass twin.
constexpr double kB2h = 0.4999996657, kB2l = 0.5000535259;  // Q 1/sqrt(2)
constexpr double kBsh = 0.3333335914, kBsl = 0.3334087352;  // Q 1/sqrt(3)
constexpr double kQ1h = 0.9999984092, kQ1l = 0.9995179602;  // Q 1
constexpr double kB4ah = 1.707110777, kB4al = 1.707599409;
constexpr double kB4bh = 0.2928935505, kB4bl = 0.2928288346;
constexpr Slope kSlopes[] = {
    {8, {S(kB2h)}, {S(kB2l)}},
    {10, {S(kBsh)}, {S(kBsl)}},
    {12, {F, F}, {F, F}},
    {14, {F, S(kQ1h)}, {F, S(kQ1l)}},
    {16, {F, S(kBsh)}, {F, S(kBsl)}},
    {18, {F, S(kB2h)}, {F, S(kB2l)}},
    {20, {S(kB4ah), S(kB4bh)}, {S(kB4al), S(kB4bl)}},
    {22, {S(kBsh), S(kBsh)}, {S(kBsl), S(kBsl)}},
    {24, {S(kB2h), S(kB2h)}, {S(kB2l), S(kB2l)}},
    {26,
     {S(0.2598915843), S(0.3616155671), S(0.8099567701), S(6.568551974)},
     {S(0.2599596758), S(0.3616604343), S(0.8101784345), S(6.571455971)}},
    {28, {S(kBsh), S(kBsh), S(kBsh), S(kBsh)}, {S(kBsl), S(kBsl), S(kBsl), S(kBsl)}},
    {30, {S(kB4ah), S(kB4bh), S(kB4ah), S(kB4bh)}, {S(kB4al), S(kB4bl), S(kB4al), S(kB4bl)}},
    {32, {V}, {V}},
    {36, {V, V}, {V, V}},
    {40, {F}, {F}},
    {42, {F}, {F}},
    {44, {F}, {F}},
    {46, {F, S(2.618033989), S(0.3819660113)}, {F, S(2.618033989), S(0.3819660113)}},
    {48, {F, S(kBsh), S(kBsh)}, {F, S(kBsl), S(kBsl)}},
    {50, {F, S(kB2h), S(kQ1h)}, {F, S(kB2l), S(kQ1l)}},
    {52, {S(0.2679492939), S(kB2h), S(3.732050178)}, {S(0.2679015872), S(kB2l), S(3.730422562)}},
    {54, {S(kBsh), S(kBsh), S(kBsh)}, {S(kBsl), S(kBsl), S(kBsl)}},
    {56, {F, F, S(kQ1h), S(kQ1h)}, {F, F, S(kQ1l), S(kQ1l)}},
    {58,
     {F, S(5.04891734), S(0.6431041321), S(0.3079785284)},
     {F, S(5.04891734), S(0.6431041321), S(0.3079785284)}},
    {60, {F, S(kBsh), S(kBsh), S(kBsh)}, {F, S(kBsl), S(kBsl), S(kBsl)}},
    {62, {F, S(kQ1h), S(kB4ah), S(kB4bh)}, {F, S(kQ1l), S(kB4al), S(kB4bl)}},
};

const Slope* SlopeFor(int code) {
    const int high_pass_code = code & ~1;
    for (const Slope& s : kSlopes) {
        if (s.high_pass_code == high_pass_code)
            return &s;
    }
    return nullptr;
}

}  // namespace

Biquad HighPass1(double f0) {
    if (!Usable(f0))
        return {};
    const Angle a = AngleOf(f0);
    const double g = a.cos / (1.0 + a.sin);
    const double b0 = (1.0 + g) / 2.0;
    return Normalised(b0, -b0, 0.0, 1.0, -g, 0.0);
}

Biquad LowPass1(double f0) {
    if (!Usable(f0))
        return {};
    const Angle a = AngleOf(f0);
    const double g = a.cos / (1.0 + a.sin);
    const double b0 = (1.0 - g) / 2.0;
    return Normalised(b0, b0, 0.0, 1.0, -g, 0.0);
}

Biquad HighPass2(double f0, double q) {
    if (!Usable(f0) || !(q > 0.0))
        return {};
    const Angle a = AngleOf(f0);
    const double alpha = a.sin / (2.0 * q);
    return Normalised((1.0 + a.cos) / 2.0, -(1.0 + a.cos), (1.0 + a.cos) / 2.0, 1.0 + alpha, -2.0 * a.cos,
                      1.0 - alpha);
}

Biquad LowPass2(double f0, double q) {
    if (!Usable(f0) || !(q > 0.0))
        return {};
    const Angle a = AngleOf(f0);
    const double alpha = a.sin / (2.0 * q);
    return Normalised((1.0 - a.cos) / 2.0, 1.0 - a.cos, (1.0 - a.cos) / 2.0, 1.0 + alpha, -2.0 * a.cos,
                      1.0 - alpha);
}

Biquad Peaking(double f0, double q, double a) {
    if (!Usable(f0) || !(q > 0.0) || !(a > 0.0))
        return {};
    const Angle w = AngleOf(f0);
    const double alpha = w.sin / (2.0 * q);
    return Normalised(1.0 + alpha * a, -2.0 * w.cos, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * w.cos,
                      1.0 - alpha / a);
}

namespace {
double ShelfK(double q, double a) {
    return std::sqrt(a) / (q <= kShelfQLimit ? q : kShelfQLimit);
}

// The two shelves differ only in the sign of the cosine terms: +1 lifts the highs, -1 the lows.
Biquad Shelf(double f0, double q, double a, double high) {
    if (!Usable(f0) || !(q > 0.0) || !(a > 0.0))
        return {};
    const Angle w = AngleOf(f0);
    const double ks = ShelfK(q, a) * w.sin;
    const double ap = a + 1.0, am = a - 1.0;
    const double c = high * w.cos;
    return Normalised(a * (ap + am * c + ks), -2.0 * high * a * (am + ap * c), a * (ap + am * c - ks),
                      ap - am * c + ks, 2.0 * high * (am - ap * c), ap - am * c - ks);
}
}  // namespace

Biquad HighShelf(double f0, double q, double a) {
    return Shelf(f0, q, a, 1.0);
}

Biquad LowShelf(double f0, double q, double a) {
    return Shelf(f0, q, a, -1.0);
}

Cascade PassFilter(int code, double f0, double variable_q) {
    Cascade c;
    const Slope* slope = SlopeFor(code);
    if (!slope || !(f0 >= kLowestCorner))
        return c;
    const bool low_pass = (code & 1) != 0;
    if (low_pass ? f0 >= kTopCorner : f0 > kTopCorner)
        return c;
    for (const Step& step : low_pass ? slope->low : slope->high) {
        switch (step.kind) {
            case Step::kNone:
                break;
            case Step::kFirst:
                c.Add(low_pass ? LowPass1(f0) : HighPass1(f0));
                break;
            case Step::kSecond: {
                const double q = std::sqrt(step.q2);
                c.Add(low_pass ? LowPass2(f0, q) : HighPass2(f0, q));
                break;
            }
            case Step::kVariable:
                c.Add(low_pass ? LowPass2(f0, variable_q) : HighPass2(f0, variable_q));
                break;
        }
    }
    return c;
}

double GainFactor(int gain_tenths) {
    return std::pow(10.0, gain_tenths / 400.0);
}

Biquad Band(int type, double f0, double q, int gain_tenths) {
    const double a = GainFactor(gain_tenths);
    switch (type) {
        case kBandOff:
            return {};
        case kHighShelf:
            return HighShelf(f0, q, a);
        case kLowShelf:
            return LowShelf(f0, q, a);
        default:
            return Peaking(f0, q, a);
    }
}

Point PointAt(double hz) {
    const double w = kTwoPi * hz / kSampleRate;
    return {std::cos(w), std::sin(w), std::cos(2.0 * w), std::sin(2.0 * w)};
}

double SectionDb(const Biquad& b, const Point& p) {
    // N = b0 z^2 + b1 z + b2 and D = z^2 + a1 z + a2 at z = e^jw.
    const double nr = b.b0 * p.cos_2w + b.b1 * p.cos_w + b.b2;
    const double ni = b.b0 * p.sin_2w + b.b1 * p.sin_w;
    const double dr = p.cos_2w + b.a1 * p.cos_w + b.a2;
    const double di = p.sin_2w + b.a1 * p.sin_w;
    const double d2 = dr * dr + di * di;
    if (!(d2 > 0.0))
        return 0.0;
    float power = static_cast<float>((nr * nr + ni * ni) / d2);
    if (!std::isfinite(power))
        return 0.0;  // a pole on the unit circle: nothing the device could apply
    if (power < kFloorPower)
        power = kFloorPower;
    const float magnitude = std::sqrt(power);
    const float log = std::log10(magnitude);
    return 20.0 * static_cast<double>(log);
}

double CascadeDb(const Cascade& c, const Point& p) {
    double db = 0.0;
    for (int i = 0; i < c.count; ++i)
        db += SectionDb(c.sections[static_cast<std::size_t>(i)], p);
    return db;
}

}  // namespace vela::filter
