#include "core/ui/undo_bar_layout.h"

namespace vela {

std::array<Rect, kUndoBarButtons> UndoBarRects(const MainLayout& l) {
    // Design pixels, on the tray button's line.
    constexpr std::array<Rect, kUndoBarButtons> kDesign{{
        {736, 12, 786, 32},
        {790, 12, 840, 32},
        {852, 12, 896, 32},
        {900, 12, 944, 32},
    }};
    std::array<Rect, kUndoBarButtons> out{};
    for (std::size_t i = 0; i < kDesign.size(); ++i) {
        const Rect& d = kDesign[i];
        const int left = static_cast<int>(d.left * l.sx);
        const int top = static_cast<int>(d.top * l.sy);
        out[i] = Rect{left, top, left + static_cast<int>((d.right - d.left) * l.sx),
                      top + static_cast<int>((d.bottom - d.top) * l.s + 0.5)};
    }
    return out;
}

}  // namespace vela

namespace vela {

std::optional<int> UndoBarShortcut(unsigned vk, bool ctrl, bool shift) {
    if (!ctrl) {
        return std::nullopt;
    }
    switch (vk) {
        case 'Z':
            return shift ? kUndoBarRedo : kUndoBarUndo;
        case 'Y':
            return shift ? std::nullopt : std::optional<int>(kUndoBarRedo);
        case 'B':
            return shift ? kUndoBarKeep : kUndoBarCompare;
        default:
            return std::nullopt;
    }
}

}  // namespace vela
