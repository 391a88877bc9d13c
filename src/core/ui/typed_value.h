// What a person types into a value box, read strictly: a number with an optional multiplier and unit.
// Text that is not such a number is refused rather than read as far as it goes, so that "abc" or
// "03.5.0" never reaches the processor as some other value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vela {

enum class TypedUnit {
    kPlain,    // a bare number (Q)
    kHertz,    // "1000", "1k", "1.2kHz", "250 Hz"
    kDecibel,  // "-3", "-3dB", "+1.5 db"
};

// The number the text stands for, or nothing when it is not one number of this unit.
std::optional<double> ReadTypedNumber(std::wstring_view text, TypedUnit unit);

struct TypedValue {
    enum class Verdict { kAccepted, kClamped, kRefused };
    Verdict verdict = Verdict::kRefused;
    double value = 0.0;  // the value to take; for a refusal the previous one
};

// Reads a box's text against the range [lower, upper]: a number outside it is clamped to the nearer end,
// text that is no number is refused and `previous` stays.
TypedValue ReadTypedValue(std::wstring_view text, TypedUnit unit, double lower, double upper,
                          double previous);

// What the box says to the person after a clamp or a refusal, in the current language; empty when the
// value was taken as typed. `shown` formats a value the way the box shows it.
std::wstring TypedValueNote(const TypedValue& result, std::wstring_view typed, double lower, double upper,
                            std::wstring (*shown)(double));

}  // namespace vela
