// The main window's own tooltips (title buttons, tabs, master faders, music input), in the current language.
#pragma once

namespace vela {

class CZR305M2Dlg;

void ApplyMainWindowTips(CZR305M2Dlg& window);

}  // namespace vela
