#include "gui/pages/eq_report_dialog_win32.h"

#include "core/text/strings.h"

namespace vela {

const MessageRow<CEqReportDialog> CEqReportDialog::kMessageMap[] = {
    {WM_COMMAND, 0, &CEqReportDialog::OnCommand},
};

CEqReportDialog::CEqReportDialog(std::wstring title, std::vector<std::wstring> lines)
    : CDialogWindow(IDD_EQ_REPORT), title_(std::move(title)), lines_(std::move(lines)) {}

std::wstring CEqReportDialog::Joined(const std::vector<std::wstring>& lines) {
    // A multi-line edit breaks lines at CR LF only.
    std::wstring text;
    for (const std::wstring& line : lines) {
        if (!text.empty())
            text += L"\r\n";
        for (wchar_t c : line) {
            if (c == L'\n')
                text += L"\r\n";
            else if (c != L'\r')
                text += c;
        }
    }
    return text;
}

BOOL CEqReportDialog::OnInitDialog() {
    SetWindowTextW(hwnd_, title_.c_str());
    SetDlgItemTextW(hwnd_, kText, Joined(lines_).c_str());
    SetDlgItemTextW(hwnd_, IDOK, std::wstring(Text(extra::kWifiOk)).c_str());
    SetDlgItemTextW(hwnd_, IDCANCEL, std::wstring(Text(extra::kEqCancel)).c_str());
    // The focus on OK rather than in the text, which would select all of it.
    SetFocus(GetDlgItem(hwnd_, IDOK));
    return FALSE;
}

LRESULT CEqReportDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (const auto r = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *r;
    return CDialogWindow::WindowProc(message, wparam, lparam);
}

LRESULT CEqReportDialog::OnCommand(WPARAM wparam, LPARAM) {
    const int id = LOWORD(wparam);
    if (HIWORD(wparam) == BN_CLICKED && (id == IDOK || id == IDCANCEL))
        EndDialog(id);
    return 0;
}

}  // namespace vela
