#include "core/model/filter_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <vector>

namespace vela::filter {
namespace {

// The reference: textbook analog prototypes, evaluated at the frequency the bilinear transform maps f to,
// Omega = tan(pi f / fs) / tan(pi f0 / fs). A cookbook biquad equals its prototype there exactly, so any
// difference is a fault in the coefficients or the evaluation, never an approximation of the method.
using Complex = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;

Complex Jw(double f, double f0) {
    return Complex(0.0, std::tan(kPi * f / kSampleRate) / std::tan(kPi * f0 / kSampleRate));
}
double Db(Complex h) {
    return 20.0 * std::log10(std::abs(h));
}
// Butterworth of order n: |H|^2 = 1 / (1 + W^2n), the high-pass with 1 / W.
double ButterworthDb(int order, bool low_pass, double f, double f0) {
    const double w = std::abs(Jw(f, f0).imag());
    const double r = low_pass ? w : 1.0 / w;
    return -10.0 * std::log10(1.0 + std::pow(r, 2.0 * order));
}
double PeakingRefDb(double f, double f0, double q, double gain_db) {
    const double a = std::pow(10.0, gain_db / 40.0);
    const Complex s = Jw(f, f0);
    return Db((s * s + s * (a / q) + 1.0) / (s * s + s / (a * q) + 1.0));
}
double LowShelfRefDb(double f, double f0, double q, double gain_db) {
    const double a = std::pow(10.0, gain_db / 40.0);
    const Complex s = Jw(f, f0);
    const double k = std::sqrt(a) / q;
    return Db(a * (s * s + k * s + a) / (a * s * s + k * s + 1.0));
}
double HighShelfRefDb(double f, double f0, double q, double gain_db) {
    const double a = std::pow(10.0, gain_db / 40.0);
    const Complex s = Jw(f, f0);
    const double k = std::sqrt(a) / q;
    return Db(a * (a * s * s + k * s + 1.0) / (s * s + k * s + a));
}
double SecondOrderRefDb(bool low_pass, double f, double f0, double q) {
    const Complex s = Jw(f, f0);
    return Db((low_pass ? Complex(1.0) : s * s) / (s * s + s / q + 1.0));
}

double PassDb(int code, double f0, double f, double variable_q = 1.0) {
    return CascadeDb(PassFilter(code, f0, variable_q), PointAt(f));
}
double BandDb(int type, double f0, double q, int tenths, double f) {
    return SectionDb(Band(type, f0, q, tenths), PointAt(f));
}

// Log-spaced frequencies over the audio band.
std::vector<double> Sweep(int per_decade = 24) {
    std::vector<double> f;
    for (double x = std::log10(19.0); x <= std::log10(20600.0); x += 1.0 / per_decade)
        f.push_back(std::pow(10.0, x));
    return f;
}

// The responses are single precision at heart; the stored slope Qs differ from the ideal ones in their
// sixth digit. Well inside a hundredth of a dB wherever the reference is above -60 dB.
constexpr double kTolerance = 0.01;
constexpr double kDeepest = -60.0;

void ExpectFollows(const std::function<double(double)>& got, const std::function<double(double)>& want,
                   const char* what) {
    for (double f : Sweep()) {
        const double w = want(f);
        if (w < kDeepest)
            continue;
        ASSERT_NEAR(got(f), w, kTolerance) << what << " at " << f << " Hz";
    }
}

struct PassCase {
    int high_pass_code;
    int order;
    const char* name;
};

TEST(PassFilters, ButterworthCodesFollowTheButterworthMagnitudeAndAre3dBDownAtTheCorner) {
    const PassCase cases[] = {{8, 2, "Butterworth 12"}, {14, 3, "3rd order"}, {20, 4, "Butterworth 24"},
                              {46, 5, "5th order"},     {52, 6, "6th order"}, {58, 7, "7th order"},
                              {26, 8, "8th order"}};
    for (const PassCase& c : cases) {
        for (double f0 : {40.0, 1000.0, 9000.0}) {
            for (bool low : {false, true}) {
                const int code = c.high_pass_code + (low ? 1 : 0);
                EXPECT_NEAR(PassDb(code, f0, f0), -3.0103, kTolerance)
                    << c.name << " code " << code << " at " << f0;
                ExpectFollows([&](double f) { return PassDb(code, f0, f); },
                              [&](double f) { return ButterworthDb(c.order, low, f, f0); }, c.name);
            }
        }
    }
}

TEST(PassFilters, LinkwitzRileyCodesAreSquaredButterworthsAnd6dBDownAtTheCorner) {
    const PassCase cases[] = {
        {12, 1, "Link Riley 12"}, {24, 2, "Link Riley 24"}, {56, 3, "6th order"}, {30, 4, "8th order"}};
    for (const PassCase& c : cases) {
        for (double f0 : {60.0, 2500.0}) {
            for (bool low : {false, true}) {
                const int code = c.high_pass_code + (low ? 1 : 0);
                EXPECT_NEAR(PassDb(code, f0, f0), -6.0206, kTolerance) << c.name << " code " << code;
                ExpectFollows([&](double f) { return PassDb(code, f0, f); },
                              [&](double f) { return 2.0 * ButterworthDb(c.order, low, f, f0); }, c.name);
            }
        }
    }
}

TEST(PassFilters, BesselAndVariableQSectionsFollowTheirSecondOrderPrototypes) {
    const double bessel_q = std::sqrt(1.0 / 3.0);
    for (bool low : {false, true}) {
        const double f0 = 700.0;
        ExpectFollows([&](double f) { return PassDb(10 + low, f0, f); },
                      [&](double f) { return SecondOrderRefDb(low, f, f0, bessel_q); }, "Bessel 12");
        ExpectFollows([&](double f) { return PassDb(22 + low, f0, f); },
                      [&](double f) { return 2.0 * SecondOrderRefDb(low, f, f0, bessel_q); }, "Bessel 24");
        ExpectFollows([&](double f) { return PassDb(32 + low, f0, f, 1.2); },
                      [&](double f) { return SecondOrderRefDb(low, f, f0, 1.2); }, "variable Q");
        ExpectFollows([&](double f) { return PassDb(36 + low, f0, f, 0.55); },
                      [&](double f) { return 2.0 * SecondOrderRefDb(low, f, f0, 0.55); }, "variable Q x 2");
    }
}

TEST(PassFilters, TheSixOfferedSlopesFallAt12Or24dBPerOctave) {
    // Far from the corner each octave adds 6 dB per order.
    const std::pair<int, double> slopes[] = {{8, 12}, {10, 12}, {12, 12}, {20, 24}, {22, 24}, {24, 24}};
    for (const auto& [code, per_octave] : slopes) {
        EXPECT_NEAR(PassDb(code, 4000, 250) - PassDb(code, 4000, 125), per_octave, 0.3) << code;
        EXPECT_NEAR(PassDb(code + 1, 100, 800) - PassDb(code + 1, 100, 1600), per_octave, 0.3) << code + 1;
        // And the pass band is flat.
        EXPECT_NEAR(PassDb(code, 40, 10000), 0.0, 0.01) << code;
        EXPECT_NEAR(PassDb(code + 1, 15000, 50), 0.0, 0.01) << code + 1;
    }
}

TEST(PassFilters, FlatForReservedAndUnknownCodesAndWhenOff) {
    for (int code : {34, 35, 38, 39, 0, 1, 7, 64, 65, 69, 70, -8, 1000, 0x7FFFFFFF}) {
        for (double f : {20.0, 1000.0, 20000.0})
            EXPECT_EQ(PassDb(code, 1000, f), 0.0) << "code " << code << " at " << f;
    }
    // Off: below 19.7 Hz on both sides, above the top for the high-pass, at the top for the low-pass.
    EXPECT_EQ(PassDb(8, 19.0, 19.5), 0.0);
    EXPECT_EQ(PassDb(9, 19.6, 19.5), 0.0);
    EXPECT_EQ(PassDb(8, 20600.1, 10000), 0.0);
    EXPECT_LT(PassDb(8, 20600.0, 10000), -3.0);  // exactly at the top the high-pass still filters
    EXPECT_EQ(PassDb(9, 20600.0, 20500), 0.0);
    EXPECT_LT(PassDb(9, 20599.0, 23000), -3.0);
    EXPECT_LT(PassDb(8, 19.7, 19.0), -2.0);
    // Nonsense never becomes NaN.
    for (double f0 : {0.0, -50.0, std::nan(""), HUGE_VAL}) {
        EXPECT_TRUE(std::isfinite(PassDb(8, f0, 1000))) << f0;
        EXPECT_TRUE(std::isfinite(PassDb(32, 1000, 1000, f0))) << f0;
    }
}

TEST(Bands, PeakingHasItsGainAtTheCentreAndNothingFarAway) {
    struct Case {
        double f0, q;
        int tenths;
    };
    for (const Case& c :
         {Case{100, 0.4, 120}, Case{1000, 4.0, -240}, Case{10000, 128, 65}, Case{40, 1.5, -35}}) {
        EXPECT_NEAR(BandDb(kPeaking, c.f0, c.q, c.tenths, c.f0), c.tenths / 10.0, kTolerance) << c.f0;
        ExpectFollows([&](double f) { return BandDb(kPeaking, c.f0, c.q, c.tenths, f); },
                      [&](double f) { return PeakingRefDb(f, c.f0, c.q, c.tenths / 10.0); }, "peaking");
    }
    EXPECT_NEAR(BandDb(kPeaking, 1000, 2.0, 120, 25), 0.0, 0.05);
    EXPECT_NEAR(BandDb(kPeaking, 1000, 2.0, 120, 20000), 0.0, 0.05);
    // A gain of 0 is exactly flat.
    for (double f : Sweep(4))
        EXPECT_EQ(BandDb(kPeaking, 1000, 1.5, 0, f), 0.0);
}

TEST(Bands, ShelvesReachTheirPlateauAndStopSteepeningAtQ2) {
    ExpectFollows([](double f) { return BandDb(kLowShelf, 200, 0.7, 90, f); },
                  [](double f) { return LowShelfRefDb(f, 200, 0.7, 9.0); }, "low shelf");
    ExpectFollows([](double f) { return BandDb(kHighShelf, 2000, 1.5, -120, f); },
                  [](double f) { return HighShelfRefDb(f, 2000, 1.5, -12.0); }, "high shelf");
    EXPECT_NEAR(BandDb(kLowShelf, 200, 0.7, 90, 20), 9.0, 0.1);
    EXPECT_NEAR(BandDb(kLowShelf, 200, 0.7, 90, 20000), 0.0, 0.05);
    EXPECT_NEAR(BandDb(kHighShelf, 2000, 1.5, -120, 20000), -12.0, 0.1);
    EXPECT_NEAR(BandDb(kHighShelf, 2000, 1.5, -120, 20), 0.0, 0.05);
    // Above Q 2 a shelf is drawn as at Q 2.
    for (int type : {kLowShelf, kHighShelf}) {
        for (double f : Sweep(12)) {
            EXPECT_EQ(BandDb(type, 1000, 4.0, 100, f), BandDb(type, 1000, 2.0, 100, f)) << f;
            EXPECT_EQ(BandDb(type, 1000, 128, -60, f), BandDb(type, 1000, 2.0, -60, f)) << f;
        }
        ExpectFollows([&](double f) { return BandDb(type, 1000, 4.0, 100, f); },
                      [&](double f) {
                          return type == kLowShelf ? LowShelfRefDb(f, 1000, 2.0, 10.0)
                                                   : HighShelfRefDb(f, 1000, 2.0, 10.0);
                      },
                      "shelf above Q 2");
    }
    // Below Q 2 the Q still shapes the shelf.
    EXPECT_GT(std::abs(BandDb(kLowShelf, 1000, 1.0, 100, 1500) - BandDb(kLowShelf, 1000, 2.0, 100, 1500)),
              0.3);
}

TEST(Bands, OffAndNonsenseAreFlatAndFinite) {
    for (double f : Sweep(4))
        EXPECT_EQ(BandDb(kBandOff, 1000, 1.5, 120, f), 0.0);
    for (double q : {0.0, -1.0, std::nan("")}) {
        EXPECT_EQ(BandDb(kPeaking, 1000, q, 120, 1000), 0.0) << q;
        EXPECT_EQ(BandDb(kLowShelf, 1000, q, 120, 1000), 0.0) << q;
    }
    EXPECT_EQ(BandDb(kPeaking, 0.0, 1.0, 120, 1000), 0.0);
    EXPECT_TRUE(std::isfinite(BandDb(kPeaking, 1000, 1.0, 1 << 30, 1000)));
    EXPECT_TRUE(std::isfinite(BandDb(kHighShelf, 1000, 1.0, -(1 << 30), 1000)));
}

}  // namespace
}  // namespace vela::filter
