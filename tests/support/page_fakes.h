// Test doubles for the controls the parameter map talks to.
#pragma once

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/model/parameter_map.h"

namespace vela::testing {

// A page that holds one raw value per code, as a real page's controls would, and records the calls.
class FakeCodePage : public IMicPage {
  public:
    int GetCodeValue(int code) override {
        gets.push_back(code);
        if (count_reads) {
            return ++reads;
        }
        const auto it = values.find(code);
        return it == values.end() ? 0 : it->second;
    }
    void SetCodeValue(int code, int raw) override {
        sets.emplace_back(code, raw);
        values[code] = raw;
    }
    void UpdateCodeText(int code) override { relabelled.push_back(code); }
    bool MicAPressed() override { return mic_a; }
    bool MicBPressed() override { return mic_b; }

    std::map<int, int> values;
    std::vector<int> gets;
    std::vector<std::pair<int, int>> sets;
    std::vector<int> relabelled;
    bool mic_a = true;
    bool mic_b = false;
    // Each read returns the next number 1, 2, 3...: shows how often and in which order the map reads.
    bool count_reads = false;
    int reads = 0;
};

class FakeFaders final : public IMasterFaders {
  public:
    double Value(int fader) override { return value[static_cast<std::size_t>(fader)]; }
    void SetValue(int fader, double v) override {
        value[static_cast<std::size_t>(fader)] = v;
        ++set_calls;
    }
    void SetCaption(int fader, std::wstring_view caption) override {
        caption_of[static_cast<std::size_t>(fader)] = std::wstring(caption);
    }
    double MaxLevel(int fader) override { return max[static_cast<std::size_t>(fader)]; }

    std::array<double, kFaderCount> value{30, 30, 30, 30};
    std::array<double, kFaderCount> max{84, 84, 84, 84};
    std::array<std::wstring, kFaderCount> caption_of;
    int set_calls = 0;
};

class FakeSourceSelector final : public IMusicSourceSelector {
  public:
    int Selection() override { return selection; }
    void Select(int position) override { selection = position; }
    int selection = -1;
};

class FakeModeButtons final : public IModeButtons {
  public:
    int Check(int button) override { return check[static_cast<std::size_t>(button)]; }
    void SetCheck(int button, int state) override { check[static_cast<std::size_t>(button)] = state; }
    void SetCaption(int button, std::wstring_view text) override {
        caption[static_cast<std::size_t>(button)] = std::wstring(text);
    }
    void SetEnabled(int button, bool on) override { enabled[static_cast<std::size_t>(button)] = on; }
    void SetOutputPagesEnabled(bool on) override { output_pages_enabled = on; }

    std::array<int, 7> check{0, 0, 0, 0, kButtonPressed, kButtonPressed, kButtonReleased};
    std::array<std::wstring, 7> caption;
    std::array<bool, 7> enabled{true, true, true, true, true, true, true};
    bool output_pages_enabled = true;
};

class RecordingMessages final : public IUserMessages {
  public:
    MessageAnswer Show(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) override {
        shown.push_back({std::wstring(text), std::wstring(caption), buttons});
        return MessageAnswer::kOk;
    }
    struct Shown {
        std::wstring text;
        std::wstring caption;
        MessageButtons buttons;
    };
    std::vector<Shown> shown;
};

}  // namespace vela::testing
