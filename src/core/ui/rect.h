// The one rectangle of window and control arithmetic: pixels of a client area, a design or a skin image.
#pragma once

namespace vela {

// Right and bottom are just outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // The rectangle of width x height at (x, y).
    static constexpr Rect Sized(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    constexpr bool operator==(const Rect&) const = default;
};

}  // namespace vela
