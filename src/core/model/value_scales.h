// The three faces of every page control: its position, the value shown to the user and the raw
// 16-bit device value. Pure functions, shared by all pages, the parameter map and the CLI.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/strings.h"

namespace vela {

// ---- Frequency scale: 363 entries, 1/36 octave apart, 19.3 Hz to 20600 Hz ----

inline constexpr int kFreqScaleSize = 363;
inline constexpr int kFreqScaleLast = kFreqScaleSize - 1;
// Entry 0 stands for a high-pass filter that is off.
inline constexpr double kFreqOffEntry = 19.3;
inline constexpr double kFreqLowestReal = 19.7;
inline constexpr double kFreqTop = 20600.0;

// The short low-pass scale of the input pages: entries 298..362 (5990 Hz to 20600 Hz).
inline constexpr int kLpfScaleFirst = 298;
inline constexpr int kLpfScaleSize = kFreqScaleSize - kLpfScaleFirst;
inline constexpr int kLpfScaleLast = kLpfScaleSize - 1;

// Frequency codes: Hz from 100 Hz up; 32768 + tenths of Hz below; 32768 alone means off.
inline constexpr int kFreqCodeOff = 32768;

const std::array<double, kFreqScaleSize>& FreqScale();

// Entry at round(x) modulo 363.
double FreqAt(double x);
// Short-scale entry at round(x), held to 0..64.
double LpfFreqAt(double x);
// Smallest index whose entry is >= f; 362 above the scale.
int FreqIndexFor(double f);
// FreqIndexFor(f) - 298; 64 above the scale. Negative below 5990 Hz: the caller brings it into range.
int LpfIndexFor(double f);
// Accepts Hz or a frequency code; the scale entry that represents it (19.3 below 19.7 Hz).
double SnapFreq(double v);
// Frequency code of the scale entry that represents f; 32768 below 19.7 Hz.
int FreqCodeFor(double f);

// A frequency as its code without snapping (band editors): Hz from 100 Hz up, else 32768 + Hz x 10.
int FreqToCode(double hz);
// Hz of a code; 32768 decodes to 0, which every page treats as off.
double CodeToFreq(int raw);

// The EQ tables: the graph and the band editor use the frequency scale with its first entry replaced
// (19.0 Hz on the graph, 10.5 Hz in the editor), so that entry 0 is a real, reachable frequency there.
inline constexpr double kGraphFreqFirst = 19.0;
inline constexpr double kEditorFreqFirst = 10.5;
// Entry i (held to 0..362) of the scale whose entry 0 is `first`.
double EqFreqEntry(int index, double first);
// 0 below the first entry, 362 above the last, else the first index whose entry is >= f (NaN gives 0).
int EqFreqPosition(double f, double first);

// ---- EQ band Q: 101 steps from 0.4 to 128, shared by the band editor and the graph ----

inline constexpr int kQTableSize = 101;
inline constexpr int kQTableLast = kQTableSize - 1;
inline constexpr std::array<double, kQTableSize> kQTable{
    0.4,  0.42, 0.45, 0.47, 0.5,  0.53, 0.56, 0.59, 0.63, 0.67, 0.71, 0.75,  0.79,  0.84,  0.89,  0.94, 1.0,
    1.06, 1.12, 1.19, 1.26, 1.3,  1.4,  1.5,  1.6,  1.7,  1.8,  1.9,  2.0,   2.1,   2.2,   2.4,   2.5,  2.7,
    2.8,  3.0,  3.2,  3.4,  3.6,  3.8,  4.0,  4.2,  4.5,  4.8,  5.0,  5.3,   5.7,   6.0,   6.3,   6.7,  7.1,
    7.6,  8.0,  8.5,  9.0,  9.5,  10.1, 10.7, 11.3, 12.0, 12.7, 13.5, 14.0,  15.0,  16.0,  17.0,  18.0, 19.0,
    20.0, 21.0, 23.0, 24.0, 25.0, 27.0, 29.0, 30.0, 32.0, 34.0, 36.0, 38.0,  40.0,  43.0,  45.0,  48.0, 51.0,
    54.0, 57.0, 60.0, 64.0, 68.0, 72.0, 76.0, 81.0, 85.0, 91.0, 96.0, 102.0, 108.0, 114.0, 121.0, 128.0};
inline constexpr double kQLowest = kQTable.front();
inline constexpr double kQHighest = kQTable.back();
// 0 below the table, 100 above it, else the first index whose entry is >= q (NaN gives 0).
int QPosition(double q);
// q held to 0.4..128, then the first entry at or above it.
double SnapQ(double q);

enum class FreqScaleKind { kFull, kShortLowPass };

// Where a received frequency code puts a frequency control and what the graph is given.
struct FreqPlacement {
    double graph_hz;
    int position;
};
// 32768 gives the graph 10 Hz (below its range) and position 0. On the short scale a frequency below
// 5990 Hz goes to position 0.
FreqPlacement FreqPlacementFor(int raw, FreqScaleKind kind);

// ---- Crossover slopes ----

enum class FilterSide { kHighPass, kLowPass };
inline constexpr int kSlopeItemCount = 6;
// Combo texts, the same in every language.
std::wstring_view SlopeItemText(int item);
// Unknown codes (10 and 11 included) give item 0.
int SlopeItemFor(int code);
// Items outside 0..5 are taken as item 0.
int SlopeCodeFor(int item, FilterSide side);

// ---- Compressor, reverb and noise-gate tables ----

inline constexpr std::array<int, 16> kAttackTable{5,  7,   10,  14,  20,  28,  40,  57,
                                                  80, 110, 160, 230, 320, 450, 640, 900};
inline constexpr std::array<int, 8> kReleaseTable{2, 4, 6, 8, 12, 16, 24, 32};
inline constexpr std::array<int, 41> kRatioTable{
    10, 12, 14, 16,  18,  20,  24,  28,  32,  36,  40,  44,  48,  52,  56,  60,  64,  68,  72,  76,  80,
    84, 90, 96, 102, 108, 114, 120, 130, 140, 150, 160, 170, 180, 190, 200, 220, 240, 260, 300, 1000};
inline constexpr int kReverbTimeSize = 82;
// The System page's noise-gate thresholds; only positions 0..20 are offered.
inline constexpr std::array<int, 27> kGateTable{0,  1,  2,  3,  4,  5,  6,   7,   8,   9,   10,  11,  13, 14,
                                                16, 18, 23, 29, 41, 65, 103, 184, 327, 327, 327, 327, 327};
inline constexpr int kGateLastPosition = 20;

// Entries at a position (held to the table's range).
int AttackAt(int position);
int ReleaseAt(int position);
int RatioAt(int position);
int ReverbTimeAt(int position);
int GateThresholdAt(int position);

// First position whose entry is >= raw; past the end the last position (attack, release, ratio) or
// nothing, which leaves the control unchanged (reverb time, noise gate).
int AttackPositionFor(int raw);
int ReleasePositionFor(int raw);
int RatioPositionFor(int raw);
std::optional<int> ReverbPositionFor(int raw);
std::optional<int> GatePositionFor(int raw);

// ---- Other encodings ----

inline constexpr int kThresholdPositions = 35;  // 0..34 = -20..+14 dBu
inline constexpr int kThresholdOffset = 80;
inline constexpr int kLevelToggle = 500;  // added to a level while its toggle is on
inline constexpr int kMicVolumeOffset = 500;
inline constexpr int kMicVolumeMax = 84;
inline constexpr int kKeyShiftCentre = 10;
inline constexpr int kKeyShiftMax = 20;
inline constexpr int kGainZero = 500;
inline constexpr double kMetresPerMs = 0.346;

int GainCodeFor(double db);
double GainFromCode(int raw);
int QCodeFor(double q);
double QFromCode(int raw);

struct Level {
    int level;
    bool toggle;
};
int LevelCodeFor(int level, bool toggle);
// 500 or more switches the toggle on and leaves raw - 500.
Level LevelFromCode(int raw);

int ThresholdCodeFor(int position);
int ThresholdPositionFor(int raw);  // held to 0..34

int DelayCodeFor(double ms);
double DelayFromCode(int raw);
double DelayDistanceFor(double ms);

int MicVolumeCodeFor(int position);
int MicVolumePositionFor(int raw);  // raw modulo 500

// ---- Music sources ----

// The main window's source selector, in its order; the names are the same in every language.
inline constexpr std::array<std::wstring_view, 6> kMusicSourceNames{L"VOD", L"DVD", L"OPT",
                                                                    L"MP3", L"BT",  L"ARC"};
inline constexpr std::array<int, 6> kMusicSourceCodes{2, 3, 5, 4, 1, 10};
// Selector position of a music source code; nothing for an unknown code.
std::optional<int> MusicSourcePositionFor(int code);

// The System page's power-on input list: "Memory" (the source in use at power-off) and the sources.
inline constexpr std::array<std::wstring_view, 7> kPowerOnInputNames{L"Memory", L"VOD", L"DVD", L"OPT",
                                                                     L"MP3",    L"BT",  L"ARC"};
inline constexpr int kPowerOnSourceFlag = 0x8000;
// 0 for "Memory", otherwise 0x8000 + the source code; items outside the list give 0.
int PowerOnInputCodeFor(int item);
// The list item of a received value, read from its low byte; nothing for an unknown source.
std::optional<int> PowerOnInputItemFor(int raw);

// ---- Texts, in the current language ----

std::wstring ThresholdText(int position);
std::wstring AttackText(int raw);
std::wstring ReleaseText(int raw);
std::wstring RatioText(int raw);

// "OFF" when the snapped frequency is below 19.7 Hz.
std::wstring HpfFreqText(double hz);
enum class LpfOff { kAtTop, kNever };
// kAtTop (input pages): "OFF" from 20600 Hz up. kNever (output and effect pages): always a frequency.
std::wstring LpfFreqText(double hz, LpfOff off);

// caption: str::kMusicVol, kDirVol, kEchoVol, kReverbVol or kAutoVolumeOutput; shows raw modulo 500.
std::wstring LevelText(str::Id caption, int raw);

enum class DelayLabel { kLeft, kMono, kRight };
// One decimal below 50 ms, whole milliseconds from 50 ms up.
std::wstring DelayText(DelayLabel label, double ms);
std::wstring DelayDistanceText(double ms);

// caption: str::kMicVolA or kMicVolB.
std::wstring MicVolumeText(str::Id caption, int position);
std::wstring KeyShiftText(int position);

// Echo and reverb captions; the tap is 'A' or 'B'.
std::wstring EchoLeftPreDelayText(double ms);
std::wstring EchoRightPreDelayText(double ms);
std::wstring EchoRightDelayText(double ms);
std::wstring EchoTapDelayText(wchar_t tap, double ms);
std::wstring EchoTapRepeatText(wchar_t tap, int percent);
std::wstring ReverbPreDelayText(double ms);
std::wstring ReverbTimeText(int ms);

// System page: caption str::kMusicStart .. kEffectMax with the position; the gate threshold caption
// is the channel's name (str::kMusic or kMic) followed by the threshold text with the position.
std::wstring SystemLevelText(str::Id caption, int position);
std::wstring GateThresholdText(str::Id channel, int position);

// What a control says when the processor holds a raw value it cannot show.
std::wstring DeviceValueNote(int raw);

// Master fader captions: str::kMusicFader, kMicFader, kMicVolB or kEffectFader.
std::wstring FaderText(str::Id caption, double value);

}  // namespace vela
