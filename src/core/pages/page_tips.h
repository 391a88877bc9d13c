// What each control of the pages is for, in the three languages: the tooltips of the System page, the
// strip pages and the main window. Each answers in the current language; empty where a control has none.
#pragma once

#include <string_view>

#include "core/pages/strip_slots.h"

namespace vela::tips {

// System page: a value control, an image button by index, a template control by dialog id.
std::wstring_view SystemValue(int control);
std::wstring_view SystemButton(int button);
std::wstring_view SystemItem(int id);

// Strip pages: a value slot by its kind (levels by the caption they carry), a combo, a button by index,
// a band editor with its type icons, and the response graph.
std::wstring_view StripValue(const ValueSlot& slot);
std::wstring_view StripCombo(int combo);
std::wstring_view StripButton(int button);
std::wstring_view BandEditor();
std::wstring_view ResponseGraph();

// Main window: a master fader (why it stops below the top), the page tabs, the music source list.
std::wstring_view MasterFader();
std::wstring_view PageTab();
std::wstring_view MusicSource();
// The title area's buttons: to the tray, maximise, close, the link state, Auto/Hand, Sing, Dance.
std::wstring_view TitleButton(int button);

}  // namespace vela::tips
