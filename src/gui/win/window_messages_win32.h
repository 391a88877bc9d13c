// The program's own window messages, every number in one place. The main window receives most of them;
// several numbers are fixed because pages and the link have always sent exactly these.
#pragma once

#include <windows.h>

namespace vela {

// To the main window.
// A link notification (wParam a LinkNotify code, lParam its value). The Mic page sends the same message
// (parameter code, 26 or 27) to have the master fader it now drives shown from the table again.
inline constexpr UINT UM_LINK_NOTIFY = WM_USER + 1;
// Sent by the System page after a language change: re-apply every caption.
inline constexpr UINT UM_APPLY_LANGUAGE = 22624;
// Posted by the System page when a maximum level changed: hold the master faders to it.
inline constexpr UINT UM_CLAMP_MASTER_LEVELS = 22824;
// Posted by the update thread once the batch file that replaces the program runs.
inline constexpr UINT UM_UPDATE_EXIT = 22825;
// The tray icon's callback.
inline constexpr UINT UM_TRAY_NOTIFY = 33768;
// Posted by the undo bar's buttons and shortcuts; wParam the button (kUndoBarUndo..), -1 to bring the
// buttons up to date after an edit.
inline constexpr UINT UM_UNDO_BAR = WM_APP + 0x2517;

// To the link host's relay window, from the link worker.
inline constexpr UINT UM_RELAY_SHOW_BOX = WM_APP + 1;
inline constexpr UINT UM_RELAY_PROGRESS = WM_APP + 2;
inline constexpr UINT UM_RELAY_PROGRESS_SHOW = WM_APP + 3;
inline constexpr UINT UM_RELAY_TITLE = WM_APP + 4;
inline constexpr UINT UM_RELAY_PARAMETERS = WM_APP + 5;

// Notifications a parent reflects to the child control that sent them (WM_COMMAND, WM_DRAWITEM,
// WM_CTLCOLOR*): message = kReflectBase + the original message.
inline constexpr UINT kReflectBase = WM_USER + 0x1C00;
inline constexpr UINT kReflectedCommand = kReflectBase + WM_COMMAND;
inline constexpr UINT kReflectedDrawItem = kReflectBase + WM_DRAWITEM;

}  // namespace vela
