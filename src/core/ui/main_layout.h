// Where the main window's own controls and its pages go for a client size. Computed on WM_SIZE and kept;
// painting only reads it. Positions are given in the 1066 x 704 design space and scaled by sx, sy and s.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/device_spec.h"
#include "core/ui/rect.h"

namespace vela {

inline constexpr int kDesignWidth = 1066;
inline constexpr int kDesignHeight = 704;
inline constexpr double kMinimumScale = 0.5;
inline constexpr int kTitleButtonCount = 7;
inline constexpr int kTabCount = 10;
inline constexpr int kMasterFaderCount = 4;
// Off-screen coordinate of what exists but must not be seen (tabs 8 and 9, hidden buttons and faders).
inline constexpr int kOffScreen = -1000;
// The top of the page area and of the top strip that drags the window, in design pixels.
inline constexpr int kPageTop = 130;
inline constexpr int kDragStripHeight = 34;

struct MainLayout {
    double sx = 1.0;
    double sy = 1.0;
    double s = 1.0;
    std::array<Rect, kTitleButtonCount> title_buttons{};
    std::array<Rect, kTabCount> tabs{};
    std::array<Rect, kMasterFaderCount> faders{};
    Rect music_input_caption;
    Rect music_source;  // the face; the drop-down list hangs below it
    Rect model_label;
    Rect page;
    // Font heights in pixels.
    int title_font = 12;
    int tab_font = 15;
    int model_font = 20;
    int caption_font = 14;
};

// Visibility flags as the main window holds them.
struct LayoutVisibility {
    std::array<bool, kTitleButtonCount> title_buttons{true, true, true, true, true, true, true};
    std::array<bool, kMasterFaderCount> faders{true, true, false, true};  // MIC VOL B hidden
};

// The smallest client the main window may be given: there the smallest caption (the pages' and the value
// controls' captions, 12 pixels at the design size) is still kSmallestCaptionPx high.
inline constexpr int kSmallestCaptionPx = 9;
inline constexpr int kSmallestCaptionDesignPx = 12;
Rect MinimumClientRect();

// Nothing when the client is smaller than half the design size in either direction.
std::optional<MainLayout> ComputeMainLayout(int client_width, int client_height,
                                            const LayoutVisibility& visibility = {});

// The screen's scaling every design pixel is given at (100 %).
inline constexpr int kDesignDpi = 96;

// The main window's rectangle when it opens on a monitor with this DPI and work area: the design size scaled
// by dpi / 96 (nothing changes at 100 %), made smaller with the same aspect where it would not fit, at the
// work area's top-left corner. A DPI of 0 or less counts as 96.
Rect InitialWindowRect(int dpi, const Rect& work_area);

// A pixel size given at the design's 96 DPI, at another DPI (rounded; at least 1 for a positive size).
int ScaleForDpi(int design_pixels, int dpi);

// The command line of vela.exe.
struct VelaOptions {
    DeviceSpec device;
    // Unattended run: once the link is up, capture the window on every reachable tab into this folder and
    // exit; message boxes are answered by their default button and written to a file there.
    std::wstring screenshots;
    int screenshot_timeout_s = 90;
    // --update-host HOST[:PORT]: the update server for this run, over the settings store's.
    std::string update_host;
};

struct VelaOptionsParse {
    std::optional<VelaOptions> options;
    std::wstring error;  // English; set when options is empty
};

// A scene file's path alone (SCENE.lub) stands for --device file:SCENE.lub.
VelaOptionsParse ParseVelaOptions(const std::wstring& command_line);

// Splits a Windows command line (without the program name) into arguments: blanks separate, double quotes
// group, backslashes before a quote escape it as CommandLineToArgvW does.
std::vector<std::wstring> SplitCommandLine(std::wstring_view command_line);

// The language of the settings store's value, or of the system locale when the value is missing or out of
// range (a damaged file must not select a missing language).
int ChooseLanguage(int stored, unsigned locale_id);

}  // namespace vela
