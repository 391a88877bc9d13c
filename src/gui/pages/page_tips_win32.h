// The tooltips of a strip page's controls, in the current language.
#pragma once

namespace vela {

class CStripPageWindow;

void ApplyStripTips(CStripPageWindow& page);

}  // namespace vela
