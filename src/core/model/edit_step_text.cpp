// The names of history steps, as the title area's tooltips show them.
#include <array>

#include "core/model/edit_history.h"
#include "core/model/parameter_catalogue.h"
#include "core/model/parameter_layout.h"
#include "core/text/strings.h"

namespace vela {
namespace {

std::wstring PageName(int page) {
    // By page id; 8 has no page.
    constexpr std::array<int, 10> kNames{str::kMain, str::kCenter, str::kSub,    str::kMusic, str::kMic,
                                         str::kEcho, str::kReverb, str::kSystem, -1,          str::kRear};
    if (page < 0 || page >= static_cast<int>(kNames.size())) {
        return {};
    }
    return std::wstring(Text(kNames[static_cast<std::size_t>(page)]));
}

std::optional<layout::EqBandField> BandOf(EditSource source) {
    if (layout::StripForPage(source.page)) {
        return layout::EqFieldForCode(layout::EqCodes::kOutput, layout::kOutputBands, source.code);
    }
    for (const layout::EqBlock* block :
         {&layout::kMusicEq, &layout::kMicAEq, &layout::kEchoEq, &layout::kReverbEq}) {
        if (block->page_id == source.page) {
            return layout::EqFieldForCode(block->codes, block->bands, source.code);
        }
    }
    return std::nullopt;
}

std::wstring FieldName(layout::EqField field) {
    switch (field) {
        case layout::EqField::kType:
            return std::wstring(Text(extra::kFieldType));
        case layout::EqField::kFrequency:
            return std::wstring(Text(extra::kFieldFrequency));
        case layout::EqField::kGain:
            return std::wstring(Text(extra::kFieldGain));
        case layout::EqField::kQ:
            return std::wstring(Text(extra::kFieldQ));
    }
    return {};
}

std::wstring ControlName(const EditStep& step) {
    if (step.source.page == layout::kMasterFaders) {
        constexpr std::array<const LocalizedString*, 4> kFaders{
            &extra::kStepMusicLevel, &extra::kStepMicLevel, &extra::kStepMicBLevel, &extra::kStepEffectLevel};
        if (step.source.code >= 0 && step.source.code < static_cast<int>(kFaders.size())) {
            return std::wstring(Text(*kFaders[static_cast<std::size_t>(step.source.code)]));
        }
    }
    if (step.source.page == layout::kMusicSourceSelector) {
        return std::wstring(Text(extra::kStepMusicSource));
    }
    const std::wstring page = PageName(step.source.page);
    if (const auto band = BandOf(step.source)) {
        return page + L" " +
               FormatText(Text(extra::kStepEqBand), band->band + 1, FieldName(band->field).c_str());
    }
    // Anything else by the parameter's name in the catalogue ("music.hpf.freq").
    std::wstring name;
    if (!step.changes.empty()) {
        const std::string& ascii = catalogue::At(step.changes.front().index).name;
        name.assign(ascii.begin(), ascii.end());
    }
    return page.empty() ? name : page + L" " + name;
}

}  // namespace

std::wstring StepText(const EditStep& step) {
    const std::wstring page = PageName(step.source.page);
    switch (step.kind) {
        case StepKind::kEdit:
        case StepKind::kMasterFader:
            return ControlName(step);
        case StepKind::kReset:
            return FormatText(Text(extra::kStepReset), page.c_str());
        case StepKind::kPasteEq:
            return FormatText(Text(extra::kStepPasteEq), page.c_str());
        case StepKind::kEqImport:
            return FormatText(Text(extra::kStepEqImport), page.c_str());
        case StepKind::kMode:
            return std::wstring(Text(extra::kStepMode));
        case StepKind::kSceneRecall:
            return std::wstring(Text(extra::kStepSceneRecall));
        case StepKind::kFileLoad:
            return std::wstring(Text(extra::kStepFileLoad));
        case StepKind::kCompare:
            return std::wstring(Text(extra::kStepCompare));
    }
    return {};
}

}  // namespace vela
