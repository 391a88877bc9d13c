// CJinDuTiao: the borderless, translucent, topmost progress window of long link operations.
#pragma once

#include <string>

#include "core/protocol/protocol.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/mem_dc_win32.h"
#include "gui/win/window_win32.h"

namespace vela {

class CJinDuTiao : public CDialogWindow {
  public:
    static constexpr int kWidth = 541;
    static constexpr int kHeight = 161;

    CJinDuTiao();
    ~CJinDuTiao() override { Destroy(); }

    // Creates the modeless window owned by `parent` once; later calls do nothing.
    bool Create(HWND parent);

    void SetProgress(long long value);
    void SetTexts(const std::wstring& progress_text, long long value, const std::wstring& title);

    // Written directly by the callers.
    long long total = static_cast<long long>(kParameterCount);
    std::wstring progress_text = L"欢迎使用!";
    std::wstring title_text;
    int idle = 1;

    // The text and fill of the last composition, for tests.
    const std::wstring& ShownText() const { return shown_text_; }
    int FillRight() const { return fill_right_; }
    HDC PictureDc() const { return picture_.Dc(); }

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnButtonDown(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnCommand(WPARAM, LPARAM);

    static const MessageRow<CJinDuTiao> kMessageMap[];

    void CentreOnOwner();

    GdiplusSession gdiplus_;
    UniqueFont font_;
    CMemDcClass picture_;
    CMemDcClass empty_;
    CMemDcClass full_;
    std::wstring shown_text_;
    int fill_right_ = 0;
};

}  // namespace vela
