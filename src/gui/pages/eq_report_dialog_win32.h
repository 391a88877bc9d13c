// The EQ import report: how each band of the strip will be set and how far the strip then lies from the
// file. OK writes the bands, Cancel (or closing the box) writes nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "gui/win/window_win32.h"
#include "res/resource.h"

namespace vela {

class CEqReportDialog : public CDialogWindow {
  public:
    static constexpr int kText = IDC_EQ_REPORT_TEXT;

    CEqReportDialog(std::wstring title, std::vector<std::wstring> lines);
    ~CEqReportDialog() override { Destroy(); }

    // The report as the box shows it: one line each, CR LF between them.
    static std::wstring Joined(const std::vector<std::wstring>& lines);

  protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnCommand(WPARAM, LPARAM);
    static const MessageRow<CEqReportDialog> kMessageMap[];

    std::wstring title_;
    std::vector<std::wstring> lines_;
};

}  // namespace vela
