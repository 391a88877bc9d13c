#include "gui/app/main_dialog_win32.h"
#include "gui/win/message_box_win32.h"

// The main window's own controls as the parameter map sees them.
namespace vela {

double CZR305M2Dlg::Faders::Value(int fader) {
    return w_.MasterFader(fader).GetValue();
}

void CZR305M2Dlg::Faders::SetValue(int fader, double value) {
    w_.MasterFader(fader).SetValue(value);
}

void CZR305M2Dlg::Faders::SetCaption(int fader, std::wstring_view caption) {
    w_.MasterFader(fader).SetCaption(std::wstring(caption));
}

double CZR305M2Dlg::Faders::UpperLimit(int fader) {
    return w_.MasterFader(fader).UpperLimit();
}

void CZR305M2Dlg::Faders::SetNote(int fader, std::wstring_view note) {
    w_.MasterFader(fader).SetNote(std::wstring(note));
}

double CZR305M2Dlg::Faders::MaxLevel(int fader) {
    // The System page's sliders show these parameters; until a device's table has been read there is no
    // maximum.
    const std::uint16_t index = layout::kMasterMaxLevelParameters[static_cast<std::size_t>(fader)];
    return w_.max_levels_known_ ? static_cast<double>(w_.link_.Table().Value(index))
                                : w_.MasterFader(fader).UpperLimit();
}

int CZR305M2Dlg::Source::Selection() {
    return w_.music_source_.GetItem();
}

void CZR305M2Dlg::Source::Select(int position) {
    w_.music_source_.SetItem(position);
}

void CZR305M2Dlg::Source::SetNote(std::wstring_view note) {
    notes_.Set(w_.music_source_.Hwnd(), std::wstring(note));
}

std::wstring CZR305M2Dlg::Source::Note() const {
    return notes_.Text(w_.music_source_.Hwnd());
}

int CZR305M2Dlg::Modes::Check(int button) {
    return w_.TitleButton(button).GetCheck();
}

void CZR305M2Dlg::Modes::SetCheck(int button, int state) {
    w_.TitleButton(button).SetCheck(state);
}

void CZR305M2Dlg::Modes::SetCaption(int button, std::wstring_view caption) {
    w_.TitleButton(button).SetCaption(std::wstring(caption));
}

void CZR305M2Dlg::Modes::SetEnabled(int button, bool enabled) {
    w_.TitleButton(button).SetEnabled(enabled);
}

void CZR305M2Dlg::Modes::SetOutputPagesEnabled(bool enabled) {
    w_.output_pages_enabled_ = enabled;
    for (int tab : {layout::kMainPage, layout::kCenterPage, layout::kSubPage, layout::kRearPage}) {
        if (CPageWindow* page = w_.PageForTab(tab); page && page->Hwnd()) {
            EnableWindow(page->Hwnd(), enabled);
        }
    }
}

MessageAnswer CZR305M2Dlg::Messages::Show(std::wstring_view text, std::wstring_view caption,
                                          MessageButtons buttons) {
    // The window's own messages without a caption ("No duplicate content!", "Automatic mode is adjusted!")
    // carry the system's default one.
    return ShowMessageFor(w_.hwnd_, text, caption, buttons, LanguageIndex());
}

}  // namespace vela
