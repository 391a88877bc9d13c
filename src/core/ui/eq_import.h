// A filter list from outside put onto a strip's EQ bands: each value quantised to what the processor holds
// (the band editor's frequency and Q tables, its gain range in tenths of a dB), what could not be held
// refused or clamped, and how far the strip's response then lies from the list's. The other way, a strip's
// bands as a filter list.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/model/channel_response.h"
#include "core/model/eq_text.h"

namespace vela {

// 20 Hz .. 20 kHz, log-spaced, for the largest difference.
inline constexpr int kEqDifferencePoints = 512;

// The range every strip's bands hold: frequencies 19.7 .. 20600 Hz, gains -24 .. +12 dB.
struct EqRange {
    double lowest_hz;
    double highest_hz;
    double lowest_db;
    double highest_db;
};
EqRange EqRangeOfStrips();

// Hz of each band after RESET; as many as the strip has bands.
std::span<const double> EqResetFrequencies(Channel channel);

// Nearest on a log scale (a value halfway goes up), held to the table: an index into FreqScale() from 1
// (19.7 Hz; entry 0 stands for an off filter) to 362, and into kQTable.
int NearestEqFreqIndex(double hz);
int NearestQIndex(double q);

struct EqBandFit {
    std::optional<eqtext::Filter> asked;  // nothing: a band the list left over, set flat
    int type = 0;                         // the raw band fields
    int freq_code = 0;
    int gain_code = 0;
    int q_code = 0;
    bool freq_clamped = false;
    bool gain_clamped = false;
    // What the raw fields stand for.
    eqtext::Filter Set() const;
};

struct EqFit {
    std::vector<EqBandFit> bands;  // one per band of the strip, in band order
    std::optional<double> preamp_db;
    double largest_difference_db = 0.0;
    // A refusal: nothing may be written. The line is 0 when the list as a whole is refused; the error is
    // velactl's English, the refusal tells it in any language.
    int error_line = 0;
    std::string error;
    eqtext::Refusal refusal;
    bool Ok() const { return error.empty(); }
};

// Filters fill the bands in order of frequency; the bands left over are set flat (peaking, 0 dB, RESET
// frequency, Q 1). A frequency or gain outside the range refuses the list, or with `clamp` is held to it.
EqFit FitEq(const eqtext::ParseResult& parsed, Channel channel, bool clamp, int points = kEqDifferencePoints);

// The parameter indexes of the strip's band fields (type, frequency, gain, Q per band).
std::vector<std::uint16_t> EqBandIndexes(Channel channel, bool dance_bank);
// Index -> raw value of every band field; empty for a refused fit.
std::map<std::uint16_t, std::uint16_t> EqWrites(const EqFit& fit, Channel channel, bool dance_bank);
// The strip's bands as the table holds them, held to the range as the response graph holds them. A band
// that is off is written as a flat peaking filter. The table must hold EqBandIndexes.
std::vector<eqtext::Filter> EqFiltersInTable(std::span<const std::uint32_t> table, Channel channel,
                                             bool dance_bank);
// The filter list an export writes, velactl's and the window's alike: a title naming the strip and, for an
// output strip, the bank the bands are from; then the filters.
std::string EqExportList(std::span<const eqtext::Filter> filters, Channel channel, bool dance_bank);
// One band's raw fields (type, frequency, gain, Q) as a filter, held to the range the same way.
eqtext::Filter EqFilterOfBand(int type, int freq_code, int gain_code, int q_code);

// The largest |difference| in dB between the summed responses of two filter lists, at `points` frequencies
// log-spaced over 20 Hz .. 20 kHz, with the response graph's arithmetic.
double LargestDifferenceDb(std::span<const eqtext::Filter> a, std::span<const eqtext::Filter> b, int points);

// The report, one line a band, then the preamp and the largest difference, in a language of the string
// table; EqReportLines is its English.
std::vector<std::wstring> EqReportText(const EqFit& fit, int language_index);
std::vector<std::string> EqReportLines(const EqFit& fit);
// "PK 105 Hz -3.5 dB Q 0.71".
std::string EqFilterText(const eqtext::Filter& f);

}  // namespace vela
