// Why a filter list was refused, in each language. {1}, {2} and {3} stand for the refusal's words; a
// language may leave one out or change their order, which printf-style formats cannot.
#include <array>

#include "core/model/eq_text.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"

namespace vela::eqtext {
namespace {

constexpr LocalizedString kLinePrefix{{L"第 {1} 行：", L"第 {1} 行：", L"line {1}: "}};

// The table of reasons, in the order of Reason; the English is velactl's, word for word.
constexpr std::array<LocalizedString, static_cast<std::size_t>(Reason::kCount)> kReasons{{
    {{L"", L"", L""}},
    {{L"大于 1 MiB：不是滤波器列表", L"大於 1 MiB：不是濾波器列表", L"larger than 1 MiB: not a filter list"}},
    {{L"没有 “Filter N: ON ...” 行：不是滤波器列表", L"沒有「Filter N: ON ...」行：不是濾波器列表",
      L"no \"Filter N: ON ...\" line: not a filter list"}},
    {{L"无法识别 Preamp：应为以 dB 为单位的数值", L"無法識別 Preamp：應為以 dB 為單位的數值",
      L"Preamp not understood: expected a number of dB"}},
    {{L"滤波器编号后应为 ON 或 OFF", L"濾波器編號後應為 ON 或 OFF",
      L"expected ON or OFF after the filter number"}},
    {{L"应为 ON 或 OFF，而不是 “{1}”", L"應為 ON 或 OFF，而不是「{1}」", L"expected ON or OFF, not '{1}'"}},
    {{L"缺少滤波器类型", L"缺少濾波器類型", L"no filter type"}},
    {{L"不支持滤波器类型 {1}（支持峰值 PK、低架 LS 和高架 HS）",
      L"不支援濾波器類型 {1}（支援峰值 PK、低架 LS 和高架 HS）",
      L"filter type {1} is not supported (peaking PK, low shelf LS or high shelf HS are)"}},
    {{L"{1} {2}：不支持固定斜率的架式滤波器（请使用带 Q 值的 {3}）",
      L"{1} {2}：不支援固定斜率的架式濾波器（請使用帶 Q 值的 {3}）",
      L"{1} {2}: a shelf of fixed slope is not supported (use {3} with a Q)"}},
    {{L"无法识别 “{1}”", L"無法識別「{1}」", L"'{1}' not understood"}},
    {{L"{1} 出现了两次", L"{1} 出現了兩次", L"{1} given twice"}},
    {{L"{1} 出现了两次（Q 与 BW Oct 是同一项设置）", L"{1} 出現了兩次（Q 與 BW Oct 是同一項設定）",
      L"{1} given twice (Q and BW Oct are one setting)"}},
    {{L"{1} 没有数值", L"{1} 沒有數值", L"{1} has no value"}},
    {{L"{1} 的值 “{2}” 不是数值", L"{1} 的值「{2}」不是數值", L"{1} '{2}' is not a number"}},
    {{L"{1} 必须大于 0", L"{1} 必須大於 0", L"{1} must be above 0"}},
    {{L"缺少 {1}", L"缺少 {1}", L"no {1}"}},
    {{L"峰值滤波器需要 Q 或 BW Oct", L"峰值濾波器需要 Q 或 BW Oct", L"a peaking filter needs Q or BW Oct"}},
    // The window holds such values to the range itself: only velactl names its --clamp.
    {{L"Fc {1} Hz 超出本通道的范围 {2} .. {3} Hz", L"Fc {1} Hz 超出本通道的範圍 {2} .. {3} Hz",
      L"Fc {1} Hz is outside the strip's {2} .. {3} Hz (--clamp holds it there)"}},
    {{L"增益 {1} dB 超出本通道的范围 {2} .. {3} dB", L"增益 {1} dB 超出本通道的範圍 {2} .. {3} dB",
      L"Gain {1} dB is outside the strip's {2} .. {3} dB (--clamp holds it there)"}},
    {{L"文件中有 {1} 个滤波器，而本通道只有 {3} 个频段", L"檔案中有 {1} 個濾波器，而本通道只有 {3} 個頻段",
      L"the list has {1} filters; the {2} strip has {3} bands"}},
}};

// The format with each {n} replaced by words[n - 1]; the words go in as they are (velactl prints a file's
// bytes unchanged).
std::string Fill(std::wstring_view format, const std::vector<std::string>& words) {
    const std::string text = ToUtf8(std::wstring(format));
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool placeholder = text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}' &&
                                 text[i + 1] >= '1' && text[i + 1] <= '9';
        if (!placeholder) {
            out += text[i];
            continue;
        }
        const auto n = static_cast<std::size_t>(text[i + 1] - '1');
        if (n < words.size())
            out += words[n];
        i += 2;
    }
    return out;
}

std::wstring_view In(const LocalizedString& text, int language_index) {
    const bool known = language_index >= 0 && language_index < kLanguageCount;
    return text.members[static_cast<std::size_t>(known ? language_index : kLanguageEnglish)];
}

}  // namespace

std::string RefusalText(const Refusal& refusal, int language_index, bool with_line) {
    const auto reason = static_cast<std::size_t>(refusal.reason);
    const std::string why =
        reason < kReasons.size() ? Fill(In(kReasons[reason], language_index), refusal.words) : std::string();
    if (!with_line || refusal.line <= 0)
        return why;
    return Fill(In(kLinePrefix, language_index), {std::to_string(refusal.line)}) + why;
}

}  // namespace vela::eqtext
