#include "core/ui/undo_bar_layout.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(UndoBarLayout, ShortcutsNeedControlAndTellRedoFromUndoByShift) {
    struct Case {
        unsigned vk;
        bool ctrl;
        bool shift;
        std::optional<int> button;
    };
    const std::vector<Case> cases{
        {'Z', true, false, kUndoBarUndo},    {'Z', true, true, kUndoBarRedo},
        {'Y', true, false, kUndoBarRedo},    {'Y', true, true, std::nullopt},
        {'B', true, false, kUndoBarCompare}, {'B', true, true, kUndoBarKeep},
        {'Z', false, false, std::nullopt},   {'B', false, true, std::nullopt},
        {'X', true, false, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UndoBarShortcut(c.vk, c.ctrl, c.shift), c.button) << static_cast<char>(c.vk) << c.shift;
    }
}

// The buttons stay in the title strip left of the tray button, apart from each other, at every size.
TEST(UndoBarLayout, ButtonsSitLeftOfTheTrayButtonWithoutOverlapping) {
    for (const auto& [w, h] :
         {std::pair{kDesignWidth, kDesignHeight}, std::pair{533, 352}, std::pair{1920, 1080}}) {
        const auto layout = ComputeMainLayout(w, h);
        ASSERT_TRUE(layout);
        const auto rects = UndoBarRects(*layout);
        const Rect& tray = layout->title_buttons[0];
        for (std::size_t i = 0; i < rects.size(); ++i) {
            EXPECT_GT(rects[i].Width(), 0);
            EXPECT_GT(rects[i].Height(), 0);
            EXPECT_LT(rects[i].bottom, layout->tabs[0].top) << w;
            EXPECT_LE(rects[i].right, i + 1 < rects.size() ? rects[i + 1].left : tray.left) << w << " " << i;
        }
    }
}

}  // namespace
}  // namespace vela
