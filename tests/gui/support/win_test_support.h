// Windows test helpers: a host window that records the notifications its children send or post, message
// pumping, and pixel reading.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "gui/win/gdi_win32.h"
#include "gui/win/mem_dc_win32.h"
#include "gui/win/screenshot_win32.h"
#include "gui/win/window_win32.h"

namespace vela::testing {

struct Notification {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// A top-level window with the main background as its children's parent background.
class HostWindow : public CWindow {
  public:
    explicit HostWindow(int width = 640, int height = 400, const wchar_t* title = L"vela test host");
    ~HostWindow() override { Destroy(); }

    HDC Background() const { return background_.Dc(); }
    std::vector<Notification> Taken() {
        std::vector<Notification> out;
        out.swap(notifications_);
        return out;
    }
    // Takes the notifications with this message number, leaving the others.
    std::vector<Notification> TakenFor(UINT message);

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    CMemDcClass background_;
    std::vector<Notification> notifications_;
};

// Dispatches everything queued for this thread.
void Pump();
// A visible window of this thread whose class is `window_class` (case ignored), or null.
HWND ShownThreadWindow(const wchar_t* window_class);
// Pumps until the predicate holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5));

inline LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

// Pixels of a DC area (BGRA rows, top first).
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> data;
    std::uint32_t At(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
    // Mean of the red, green and blue channels over a rectangle.
    double Brightness(int x0, int y0, int x1, int y1) const;
};
Pixels ReadPixels(HDC dc, int x, int y, int width, int height);

// Runs a program of this build (a path beside the test's own build folder: L"src/vela.exe") with the
// arguments, pumping this thread's messages while it runs, and returns its exit code; a program still
// running after `timeout_ms` is ended and `finished` stays false. Its standard output and error go to
// `output` when one is named.
int RunProcess(const std::wstring& program, const std::wstring& arguments, DWORD timeout_ms, bool& finished,
               const std::wstring& output = {});
// The path of a program of this build (e.g. L"velactl.exe" in src/).
std::wstring BuiltProgram(const std::wstring& name);

// The folder for screenshots: %VELA_ARTIFACTS%, else build/artifacts next to the test executable's build.
std::wstring ArtifactsFolder();
using vela::SavePng;

}  // namespace vela::testing
