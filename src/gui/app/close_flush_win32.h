// Closing the main window without losing an edit. What the window still holds for the device is sent first,
// in a bounded wait that keeps the window's messages flowing while it shows that it is closing; then a scene
// file opened as the device takes its last write. What could not be sent or written is said, and the user
// chooses to stay (the link runs on and keeps the edits) or to close anyway.
#pragma once

#include <windows.h>

#include "core/model/parameter_map.h"
#include "devices/link_stack.h"
#include "gui/controls/image_button_win32.h"

namespace vela {

// True when the window may close now: every edit reached the device and the file, or the user chose to
// close anyway. `state` is the link-state button, whose caption says the window is sending meanwhile.
bool SettleEditsBeforeClose(HWND window, CGDI_Button& state, LinkStack& stack, IUserMessages& messages);

// Dispatches the thread's waiting messages but the link's boxes and timers, whose modal loops would hold
// the close beyond its bound (they wait in the queue). False once WM_QUIT came, which is posted again.
bool PumpWhileClosing();

}  // namespace vela
