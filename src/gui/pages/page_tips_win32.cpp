#include "gui/pages/page_tips_win32.h"

#include <string>

#include "core/pages/page_tips.h"
#include "gui/pages/strip_page_win32.h"

namespace vela {

void ApplyStripTips(CStripPageWindow& page) {
    const StripDescriptor& d = page.Model().Descriptor();
    for (const ValueSlot& s : page.Model().Slots()) {
        if (s.slot >= 0 && s.slot < d.value_slots && page.Model().SlotShown(s.slot))
            page.ValueControl(s.slot).SetHelp(std::wstring(tips::StripValue(s)));
    }
    for (int c = 0; c < d.combo_slots; ++c)
        page.Combo(c).SetHelp(std::wstring(tips::StripCombo(c)));
    for (int b = 0; b < d.button_slots; ++b)
        page.Button(b).SetHelp(std::wstring(tips::StripButton(b)));
    for (int band = 0; band < d.band_count; ++band)
        page.Editor(band).SetHelp(std::wstring(tips::BandEditor()));
    page.Graph().SetHelp(std::wstring(tips::ResponseGraph()));
}

}  // namespace vela
