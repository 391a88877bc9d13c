// The unattended screenshot run: waits until the link shows "Successful" with the table loaded, then takes
// a picture of every reachable tab and of the Wi-Fi dialog in every language, and closes the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vela {

class CZR305M2Dlg;
class CZB_FileData;
class CWin_Wifi;

class CScreenshotRun {
  public:
    // The timer the run ticks on, set on the main window.
    static constexpr UINT_PTR kTimer = 1;

    CScreenshotRun(CZR305M2Dlg& window, std::wstring folder, int timeout_s);
    ~CScreenshotRun();
    CScreenshotRun(const CScreenshotRun&) = delete;
    CScreenshotRun& operator=(const CScreenshotRun&) = delete;

    void Start();
    // One tick: at most one picture.
    void Step();
    void Stop();
    // 0 done, 1 failed; nothing while it runs.
    std::optional<int> Result() const { return result_; }

  private:
    bool TakeWifiShot(HWND& pictured);
    void Finish(int result, const std::wstring& message);

    CZR305M2Dlg& window_;
    std::wstring folder_;
    int timeout_s_;
    int step_ = -1;
    std::uint32_t deadline_ = 0;
    std::optional<int> result_;
    std::unique_ptr<CZB_FileData> wifi_settings_;
    std::unique_ptr<CWin_Wifi> wifi_;
    int wifi_ticks_ = 0;
};

}  // namespace vela
