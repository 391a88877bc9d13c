// Test doubles for the controls the parameter map talks to.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/model/parameter_map.h"
#include "core/pages/strip_page.h"

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
    double UpperLimit(int) override { return 100; }
    void SetNote(int fader, std::wstring_view text) override {
        note[static_cast<std::size_t>(fader)] = std::wstring(text);
    }

    std::array<double, kFaderCount> value{30, 30, 30, 30};
    std::array<double, kFaderCount> max{84, 84, 84, 84};
    std::array<std::wstring, kFaderCount> caption_of;
    std::array<std::wstring, kFaderCount> note;
    int set_calls = 0;
};

class FakeSourceSelector final : public IMusicSourceSelector {
  public:
    int Selection() override { return selection; }
    void Select(int position) override {
        selection = position;
        ++select_calls;
    }
    void SetNote(std::wstring_view text) override { note = std::wstring(text); }
    int selection = -1;
    std::wstring note;
    int select_calls = 0;
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

// The controls of a strip page as plain values; graph and band editors are separate, as on screen. The
// rules only tell them: a test reads what they were told.
class FakeStripControls final : public IStripControls {
  public:
    struct Band {
        double gain = 0.0;
        double freq = 1000.0;
        double q = 1.5;
        double type = 0.0;
    };
    static double& FieldOf(Band& b, int field) {
        return field == 0 ? b.gain : field == 1 ? b.freq : field == 2 ? b.q : b.type;
    }
    void SetBandField(int band, int field, double x) override {
        FieldOf(bands[static_cast<std::size_t>(band)], field) = x;
    }
    void SetGraphBand(int band, int field, double x) override {
        FieldOf(graph[static_cast<std::size_t>(band)], field) = field == 3 ? static_cast<int>(x) : x;
    }
    void SetGraphPassFreq(int which, double hz) override { pass_freq[static_cast<std::size_t>(which)] = hz; }
    void SetGraphPassType(int code) override { pass_type[static_cast<std::size_t>(code & 1)] = code; }
    void SetGraphEqActive(int flag) override { eq_active = flag; }
    void SetValue(int slot, double v) override { value[slot] = v; }
    void SetValueCaption(int slot, const std::wstring& text) override { value_caption[slot] = text; }
    void SetValueNote(int slot, const std::wstring& text) override { value_note[slot] = text; }
    void SetComboItem(int combo, int item) override { combo_item[combo] = item; }
    void SetComboNote(int combo, const std::wstring& text) override { combo_note[combo] = text; }
    void SetBandNote(int band, int field, const std::wstring& text) override {
        band_note[{band, field}] = text;
    }
    void SetLabelCaption(int label, const std::wstring& text) override { label_caption[label] = text; }
    void SetRowCaption(int row, const std::wstring& text) override { row_caption[row] = text; }
    void SetButtonCheck(int button, int state) override { check[button] = state; }
    void SetButtonCaption(int button, const std::wstring& text) override { button_caption[button] = text; }
    void PostMicSelected(int which) override { posted.push_back(which); }

    std::array<Band, 15> bands{};
    std::array<Band, 15> graph{};
    std::array<double, 2> pass_freq{};
    std::array<int, 2> pass_type{};
    int eq_active = 1;
    std::map<int, double> value;
    std::map<int, std::wstring> value_caption;
    std::map<int, std::wstring> value_note;
    std::map<int, int> combo_item;
    std::map<int, std::wstring> combo_note;
    std::map<std::pair<int, int>, std::wstring> band_note;  // (band, field)
    std::map<int, std::wstring> label_caption;
    std::map<int, std::wstring> row_caption;
    std::map<int, int> check;
    std::map<int, std::wstring> button_caption;
    std::vector<int> posted;
};

// Where a page's edits go, recorded; the table entries the Mic page reads come from `table`.
class RecordingEdits final : public IPageEdits {
  public:
    struct Edit {
        int page_id;
        int code;
        int raw;
        bool operator==(const Edit&) const = default;
    };
    void Edited(int page_id, int code, int raw) override {
        edits.push_back({page_id, code, raw});
        if (then)
            then(page_id, code, raw);
    }
    std::uint16_t Stored(std::size_t index) const override {
        const auto it = table.find(index);
        return it == table.end() ? 0 : it->second;
    }
    // The codes edited, in order.
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const Edit& e : edits)
            codes.push_back(e.code);
        return codes;
    }

    std::vector<Edit> edits;
    std::map<std::size_t, std::uint16_t> table;
    std::function<void(int, int, int)> then;
};

}  // namespace vela::testing
