#include "gui/app/main_window_tips_win32.h"

#include <string>

#include "core/pages/page_tips.h"
#include "gui/app/main_dialog_win32.h"

namespace vela {

void ApplyMainWindowTips(CZR305M2Dlg& window) {
    for (int i = 0; i < kTitleButtonCount; ++i)
        window.TitleButton(i).SetHelp(std::wstring(tips::TitleButton(i)));
    for (int i = 0; i < kTabCount; ++i)
        window.Tab(i).SetHelp(kTabTexts[static_cast<std::size_t>(i)] >= 0 ? std::wstring(tips::PageTab())
                                                                          : std::wstring());
    for (int i = 0; i < kMasterFaderCount; ++i)
        window.MasterFader(i).SetHelp(std::wstring(tips::MasterFader()));
    window.MusicSource().SetHelp(std::wstring(tips::MusicSource()));
}

}  // namespace vela
