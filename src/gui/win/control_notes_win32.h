// Notes on controls that have no tooltip of their own (combo boxes, band editor fields): one tooltip window
// for all the controls of a window, each note shown while the pointer rests on its control.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace vela {

class ControlNotes {
  public:
    ControlNotes() = default;
    ControlNotes(const ControlNotes&) = delete;
    ControlNotes& operator=(const ControlNotes&) = delete;
    ~ControlNotes();

    // The note of `control`, a window of `owner`; an empty note removes it. An unchanged note costs nothing.
    void Set(HWND owner, HWND control, const std::wstring& note);
    // Empty when the control has none.
    const std::wstring& Of(HWND control) const;

  private:
    HWND tooltip_ = nullptr;
    std::map<HWND, std::wstring> notes_;
};

}  // namespace vela
