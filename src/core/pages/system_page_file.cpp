// The System page on a scene file opened as the processor: the device's eight scenes and its Wi-Fi module
// are not in a file, so their controls are off.
#include <algorithm>
#include <array>

#include "core/pages/system_page.h"
#include "core/text/strings.h"

namespace vela {

namespace {

namespace ids = system_ids;
namespace button = system_button;
namespace label = system_label;

struct Off {
    int control;
    const LocalizedString& why;
};
constexpr std::array<Off, 3> kButtonsOff{{{button::kUseScene, extra::kNotForSceneFile},
                                          {button::kSaveScene, extra::kNotForSceneFile},
                                          {button::kWifi, extra::kWifiNotForSceneFile}}};
constexpr std::array<Off, 2> kItemsOff{
    {{ids::kSceneList, extra::kNotForSceneFile}, {ids::kSceneName, extra::kNotForSceneFile}}};
constexpr std::array<int, 2> kLabelsOff{label::kSceneNumber, label::kSceneName};

}  // namespace

void SystemPage::SetFileDevice(bool file) {
    file_device_ = file;
    ApplyFileDevice();
}

void SystemPage::ApplyFileDevice() {
    // A processor's page is left as it is: other rules decide what is on there.
    if (!file_device_)
        return;
    for (const Off& b : kButtonsOff) {
        controls_.EnableButton(b.control, false);
        controls_.SetButtonOffNote(b.control, std::wstring(Text(b.why)));
    }
    for (const Off& i : kItemsOff) {
        controls_.EnableItem(i.control, false);
        controls_.SetItemOffNote(i.control, std::wstring(Text(i.why)));
    }
    for (const int l : kLabelsOff)
        controls_.EnableLabel(l, false);
}

bool SystemPage::RefusedForFile(int b) {
    if (!file_device_)
        return false;
    const auto off =
        std::find_if(kButtonsOff.begin(), kButtonsOff.end(), [b](const Off& o) { return o.control == b; });
    if (off == kButtonsOff.end())
        return false;
    Tell(Text(off->why));
    return true;
}

}  // namespace vela
