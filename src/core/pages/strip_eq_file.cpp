#include "core/pages/strip_eq_file.h"

#include "core/model/eq_text.h"
#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"

namespace vela {
namespace {

// The formatted texts have room for 511 characters: a file name or a reason (which may quote a word of
// the file) longer than its share is cut.
constexpr std::size_t kNameRoom = 120;
constexpr std::size_t kReasonRoom = 300;

std::wstring Clipped(std::wstring text, std::size_t room) {
    if (text.size() > room) {
        text.resize(room - 3);
        text += L"...";
    }
    return text;
}

}  // namespace

Channel StripChannel(StripPage& page) {
    switch (page.PageId()) {
        case layout::kMainPage:
            return Channel::kMain;
        case layout::kCenterPage:
            return Channel::kCenter;
        case layout::kSubPage:
            return Channel::kSub;
        case layout::kRearPage:
            return Channel::kRear;
        case layout::kMicPage:
            return page.MicBPressed() && !page.MicAPressed() ? Channel::kMicB : Channel::kMicA;
        case layout::kEchoPage:
            return Channel::kEcho;
        case layout::kReverbPage:
            return Channel::kReverb;
        default:
            return Channel::kMusic;
    }
}

EqFit FitEqText(StripPage& page, std::string_view text) {
    return FitEq(eqtext::Parse(text), StripChannel(page), true);
}

std::vector<std::wstring> EqImportReport(const EqFit& fit, std::wstring_view file_name) {
    std::vector<std::wstring> lines{
        FormatText(Text(extra::kEqImportQuestion), Clipped(std::wstring(file_name), kNameRoom).c_str())};
    for (std::wstring& line : EqReportText(fit, LanguageIndex()))
        lines.push_back(std::move(line));
    return lines;
}

std::wstring EqRefusalText(const EqFit& fit, std::wstring_view file_name) {
    return FormatText(
        Text(extra::kEqImportRefused), Clipped(std::wstring(file_name), kNameRoom).c_str(),
        Clipped(FromUtf8(eqtext::RefusalText(fit.refusal, LanguageIndex(), true)), kReasonRoom).c_str());
}

bool ApplyEqFit(StripPage& page, const EqFit& fit) {
    if (!fit.Ok() || fit.bands.empty())
        return false;
    std::vector<StripPage::BandRaws> bands;
    for (const EqBandFit& b : fit.bands)
        bands.push_back({b.type, b.freq_code, b.gain_code, b.q_code});
    page.ImportBands(bands);
    return true;
}

std::string EqExportText(StripPage& page) {
    std::vector<eqtext::Filter> filters;
    for (const StripPage::BandRaws& b : page.BandRawValues())
        filters.push_back(EqFilterOfBand(b[0], b[1], b[2], b[3]));
    // An output page shows the bank the mode word selects.
    return EqExportList(filters, StripChannel(page), DanceBankInModeWord(page.Stored(param::kModeWord)));
}

}  // namespace vela
