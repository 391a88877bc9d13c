// Where the title area's Undo, Redo, A/B and Keep buttons go: left of the tray button, scaled as the
// title buttons are.
#pragma once

#include <array>
#include <optional>

#include "core/ui/main_layout.h"

namespace vela {

enum UndoBarButton : int { kUndoBarUndo, kUndoBarRedo, kUndoBarCompare, kUndoBarKeep, kUndoBarButtons };

std::array<Rect, kUndoBarButtons> UndoBarRects(const MainLayout& layout);

}  // namespace vela

namespace vela {

// The button a key press stands for: Ctrl+Z undo, Ctrl+Y and Ctrl+Shift+Z redo, Ctrl+B A/B, Ctrl+Shift+B
// Keep; nothing for any other key. vk is a virtual-key code (letters are their upper-case character).
std::optional<int> UndoBarShortcut(unsigned vk, bool ctrl, bool shift);

}  // namespace vela
