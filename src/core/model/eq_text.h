// Parametric EQ as text, one filter a line, as room-measurement and system-EQ programs read and write it:
//   Preamp: -6.4 dB
//   Filter 1: ON PK Fc 105 Hz Gain -3.5 dB Q 0.70
// Peaking and shelving filters are read; any other filter is refused with its line, so that nothing a
// strip cannot do is silently dropped.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vela::eqtext {

// Larger texts are refused unread: a filter list is a few kilobytes.
inline constexpr std::size_t kMaxTextBytes = std::size_t{1} << 20;
// A shelf given without a Q.
inline constexpr double kShelfQ = 0.71;

enum class FilterType { kPeaking, kLowShelf, kHighShelf };

struct Filter {
    FilterType type = FilterType::kPeaking;
    double hz = 1000.0;
    double gain_db = 0.0;
    double q = 1.0;
    int line = 0;  // where the text gave it (from 1); 0 when it came from elsewhere
};

// Why a filter list is refused. The words a reason names (what the text said, or a number) are in its
// Refusal's words, in the order the comment gives.
enum class Reason {
    kNone,
    kTooLarge,
    kNoFilterLine,
    kPreampNotUnderstood,
    kNoOnOff,
    kNotOnOff,  // the word found
    kNoType,
    kTypeNotSupported,  // the type
    kFixedSlopeShelf,   // the type, the slope, the type to use instead
    kNotUnderstood,     // the word
    kGivenTwice,        // the setting
    kQGivenTwice,       // Q or BW Oct
    kNoValue,           // the setting
    kNotANumber,        // the setting, its value
    kNotAboveZero,      // the setting
    kMissing,           // the setting
    kPeakingNeedsQ,
    // Refusals of a list that reads well but does not fit the strip.
    kFcOutOfRange,    // the frequency, the strip's lowest and highest (Hz)
    kGainOutOfRange,  // the gain, the strip's lowest and highest (dB)
    kTooManyFilters,  // the number of filters, the channel's name, its number of bands
    kCount
};

struct Refusal {
    Reason reason = Reason::kNone;
    int line = 0;  // 0 for the text as a whole
    std::vector<std::string> words;
};

// The refusal in a language of the string table (an unknown one is English), UTF-8, after "line N: " when
// it has a line and `with_line`. The English is velactl's text, which scripts match.
std::string RefusalText(const Refusal& refusal, int language_index, bool with_line);

struct ParseResult {
    std::vector<Filter> filters;  // in the order of the text
    std::optional<double> preamp_db;
    // Set when the text is refused: the line (0 for the text as a whole) and what was not understood, in
    // English; the refusal tells it in any language.
    int error_line = 0;
    std::string error;
    Refusal refusal;
    bool Ok() const { return error.empty(); }
};

// Lines other than "Filter N:" and "Preamp:" are skipped, and so are filters that are OFF or of type None.
// A byte-order mark, CRLF, runs of blanks, kHz and decimal commas are accepted. A text without a single
// "Filter N:" line is refused.
ParseResult Parse(std::string_view text);

// "PK", "LSC" or "HSC".
std::string_view TypeCode(FilterType type);
// One "Filter N: ON ..." line per filter, numbered from 1, after `title` as a first line when it is not
// empty. Parse reads it back to the same values (frequencies to 0.1 Hz, gains to 0.1 dB, Q to 0.01).
std::string Write(std::span<const Filter> filters, std::string_view title);

}  // namespace vela::eqtext
