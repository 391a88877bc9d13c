#include "core/ui/main_layout.h"

#include <algorithm>
#include <string>

#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/update/online_update.h"

namespace vela {

int ScaleForDpi(int design_pixels, int dpi) {
    if (dpi <= 0)
        dpi = kDesignDpi;
    const long long scaled = (static_cast<long long>(design_pixels) * dpi + kDesignDpi / 2) / kDesignDpi;
    return design_pixels > 0 ? static_cast<int>(std::max(1LL, scaled)) : static_cast<int>(scaled);
}

Rect MinimumClientRect() {
    // Rounded up: one pixel less on either side would bring the scale, and the captions, below the limit.
    const auto side = [](int design) {
        return (design * kSmallestCaptionPx + kSmallestCaptionDesignPx - 1) / kSmallestCaptionDesignPx;
    };
    return {0, 0, side(kDesignWidth), side(kDesignHeight)};
}

Rect InitialWindowRect(int dpi, const Rect& work_area) {
    int width = ScaleForDpi(kDesignWidth, dpi);
    int height = ScaleForDpi(kDesignHeight, dpi);
    const int room_w = work_area.Width();
    const int room_h = work_area.Height();
    // Shrinking both sides by the same factor keeps the aspect, so the layout's s stays the smaller factor.
    if (room_w > 0 && room_h > 0 && (width > room_w || height > room_h)) {
        const double f = std::min(static_cast<double>(room_w) / width, static_cast<double>(room_h) / height);
        width = std::max(1, static_cast<int>(width * f));
        height = std::max(1, static_cast<int>(height * f));
    }
    return {work_area.left, work_area.top, work_area.left + width, work_area.top + height};
}
namespace {

// Hide to tray, maximise / restore, close, link state, Auto / Hand, Sing, Dance.
constexpr std::array<Rect, kTitleButtonCount> kTitleButtons{{
    {955, 12, 975, 32},
    {988, 12, 1008, 32},
    {1021, 12, 1041, 32},
    {954, 50, 1044, 76},
    {800, 85, 877, 103},
    {880, 85, 957, 103},
    {960, 85, 1037, 103},
}};

constexpr int kTabLeft = 20;
constexpr int kTabPitch = 90;
constexpr int kTabTop = 40;
constexpr int kTabBottom = 76;
constexpr int kFirstHiddenTab = 8;

constexpr int kFaderLeft = 26;
constexpr int kFaderPitch = 171;
constexpr int kFaderTop = 90;
constexpr int kFaderWidth = 170;
constexpr int kFaderHeight = 33;

// Below the mode buttons, in the right-hand panel of the fader row.
constexpr Rect kMusicInputCaption{850, 106, 935, 125};
constexpr Rect kMusicSource{937, 106, 1040, 125};
// Right of the mark at the title's left edge.
constexpr Rect kModelLabel{44, 6, 420, 30};

int Truncate(double v) {
    return static_cast<int>(v);
}

}  // namespace

std::optional<MainLayout> ComputeMainLayout(int client_width, int client_height,
                                            const LayoutVisibility& visibility) {
    MainLayout l;
    l.sx = static_cast<double>(client_width) / kDesignWidth;
    l.sy = static_cast<double>(client_height) / kDesignHeight;
    l.s = std::min(l.sx, l.sy);
    if (!(l.s >= kMinimumScale)) {
        return std::nullopt;
    }
    const double sx = l.sx, sy = l.sy, s = l.s;

    for (std::size_t i = 0; i < kTitleButtons.size(); ++i) {
        const Rect& d = kTitleButtons[i];
        Rect r{Truncate(d.left * sx), Truncate(d.top * sy), Truncate(d.left * sx + (d.right - d.left) * sx),
               Truncate(d.top * sy + (d.bottom - d.top) * s + 0.5)};
        if (!visibility.title_buttons[i]) {
            r.right = kOffScreen + r.Width();
            r.left = kOffScreen;
        }
        l.title_buttons[i] = r;
    }

    for (int i = 0; i < kTabCount; ++i) {
        const int left = kTabLeft + kTabPitch * i;
        Rect r{Truncate(left * sx), Truncate(kTabTop * sy), Truncate(left * sx + kTabPitch * sx),
               Truncate(kTabTop * sy + (kTabBottom - kTabTop) * sy)};
        if (i >= kFirstHiddenTab) {
            r.right = kOffScreen + r.Width();
            r.left = kOffScreen;
        }
        l.tabs[static_cast<std::size_t>(i)] = r;
    }

    const int fader_w = Truncate(kFaderWidth * s);
    const int fader_h = Truncate(kFaderHeight * s);
    int shown = 0;
    for (int i = 0; i < kMasterFaderCount; ++i) {
        const bool visible = visibility.faders[static_cast<std::size_t>(i)];
        const int slot = visible ? shown++ : i;
        const int left = Truncate((kFaderLeft + kFaderPitch * slot) * sx);
        const int top = visible ? Truncate(kFaderTop * sy) : kOffScreen;
        l.faders[static_cast<std::size_t>(i)] = {left, top, left + fader_w, top + fader_h};
    }

    const auto scaled = [&](const Rect& d) {
        return Rect{Truncate(d.left * sx), Truncate(d.top * sy), Truncate(d.right * sx),
                    Truncate(d.bottom * sy)};
    };
    l.music_input_caption = scaled(kMusicInputCaption);
    l.music_source = scaled(kMusicSource);
    l.model_label = scaled(kModelLabel);
    // The pages reach the client's edges: truncating the scaled size could leave a strip that nothing paints.
    l.page = {0, Truncate(kPageTop * sy), client_width, client_height};

    l.title_font = std::max(1, Truncate(12 * s));
    l.tab_font = std::max(1, Truncate(15 * s));
    l.model_font = std::max(1, Truncate(20 * s));
    l.caption_font = std::max(1, Truncate(13 * s));
    return l;
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    std::vector<std::wstring> out;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) {
            ++i;
        }
        if (i >= line.size()) {
            break;
        }
        std::wstring arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
            if (line[i] == L'\\') {
                std::size_t slashes = 0;
                while (i < line.size() && line[i] == L'\\') {
                    ++slashes;
                    ++i;
                }
                if (i < line.size() && line[i] == L'"') {
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2 == 1) {
                        arg.push_back(L'"');
                        ++i;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
                continue;
            }
            if (line[i] == L'"') {
                quoted = !quoted;
                ++i;
                continue;
            }
            arg.push_back(line[i++]);
        }
        out.push_back(std::move(arg));
    }
    return out;
}

namespace {

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) {
        s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return s;
}

// A scene file's path on its own, as the shell passes it for a double-click: anything ending in ".lub" in any
// case (with a name before it), and never an option.
bool IsScenePath(const std::wstring& a) {
    constexpr std::wstring_view kExtension = L".lub";
    if (a.size() <= kExtension.size() || a.starts_with(L"--"))
        return false;
    const std::wstring_view tail = std::wstring_view(a).substr(a.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(),
                      [](wchar_t x, wchar_t y) { return (x >= L'A' && x <= L'Z' ? x + 32 : x) == y; });
}

// Takes the value of one option; the reason it is refused, or nothing.
std::wstring ApplyOption(VelaOptions& options, const std::wstring& a, const std::wstring& value) {
    if (a == L"--device") {
        const DeviceSpecParse spec = ParseDeviceSpec(ToUtf8(value));
        if (!spec.spec) {
            const std::string help(kDeviceSpecHelp);
            return L"Bad device \"" + value + L"\": " + FromUtf8(spec.error) + L" (expected " +
                   std::wstring(help.begin(), help.end()) + L")";
        }
        // The token file may have come first: a later --device keeps it.
        const std::string token_file = options.device.token_file;
        options.device = *spec.spec;
        options.device.token_file = token_file;
    } else if (a == L"--update-host") {
        const std::string host = Narrow(value);
        if (!update::ParseUpdateHost(host)) {
            return L"Bad update host \"" + value + L"\" (expected HOST[:PORT])";
        }
        options.update_host = host;
    } else if (a == L"--screenshots") {
        if (value.empty()) {
            return L"--screenshots needs a folder";
        }
        options.screenshots = value;
    } else if (a == L"--token-file") {
        options.device.token_file = ToUtf8(value);
    } else {
        int seconds = 0;
        bool digits = !value.empty() && value.size() <= 5;
        for (wchar_t c : value) {
            digits = digits && c >= L'0' && c <= L'9';
            seconds = seconds * 10 + (c - L'0');
        }
        if (!digits || seconds <= 0) {
            return L"--screenshot-timeout needs a number of seconds";
        }
        options.screenshot_timeout_s = seconds;
    }
    return {};
}

}  // namespace

VelaOptionsParse ParseVelaOptions(const std::wstring& command_line) {
    VelaOptionsParse result;
    VelaOptions options;
    const std::vector<std::wstring> args = SplitCommandLine(command_line);
    bool device_given = false;
    bool scene_given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool scene = IsScenePath(a);
        if (scene || a == L"--device") {
            // Which processor is one choice: a file and a device, or two files, would leave one unheeded.
            if (device_given || scene_given) {
                result.error = L"Give one scene file or one --device, not both (\"" + a + L"\")";
                return result;
            }
            (scene ? scene_given : device_given) = true;
        }
        if (scene) {
            result.error = ApplyOption(options, L"--device", L"file:" + a);
            if (!result.error.empty()) {
                return result;
            }
            continue;
        }
        if (a != L"--device" && a != L"--screenshots" && a != L"--screenshot-timeout" &&
            a != L"--update-host" && a != L"--token-file") {
            result.error = L"Unknown argument \"" + a + L"\"";
            return result;
        }
        if (i + 1 >= args.size()) {
            result.error = a + L" needs a value";
            return result;
        }
        result.error = ApplyOption(options, a, args[++i]);
        if (!result.error.empty()) {
            return result;
        }
    }
    result.options = options;
    return result;
}

int ChooseLanguage(int stored, unsigned locale_id) {
    if (stored >= kLanguageSimplified && stored <= kLanguageEnglish) {
        return stored;
    }
    return LanguageIndexForLocale(locale_id);
}

}  // namespace vela
