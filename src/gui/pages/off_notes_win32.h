// Notes that say why a control is off, shown when the pointer rests over it. A disabled window gets no mouse
// input (its parent does), so a note for one is a rectangle of the parent kept over the control; a skinned
// control that only draws itself off still gets the mouse and carries its note itself.
#pragma once

#include <windows.h>
// Tooltips; needs <windows.h> first.
#include <commctrl.h>

#include <string>
#include <vector>

namespace vela {

class COffNotes {
  public:
    COffNotes() = default;
    COffNotes(const COffNotes&) = delete;
    COffNotes& operator=(const COffNotes&) = delete;
    ~COffNotes();

    // The note over `control`, a child of `parent`; empty takes it away.
    void Set(HWND parent, HWND control, const std::wstring& note);
    // Moves every rectangle over its control again, after a layout.
    void Follow();
    // The note the tooltip holds for `control`; empty when none.
    std::wstring Note(HWND control) const;

  private:
    struct Tool {
        HWND parent;
        HWND control;
        bool by_rectangle;
        std::wstring note;
    };
    TTTOOLINFOW Info(Tool& tool) const;
    RECT Over(const Tool& tool) const;

    HWND tooltip_ = nullptr;  // destroyed with this object
    std::vector<Tool> tools_;
};

}  // namespace vela
