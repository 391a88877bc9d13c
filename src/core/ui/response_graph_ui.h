// The response graph's geometry and interaction rules, apart from any window: where handles, Q handles,
// value labels, grid lines and the menu stand, what a press, a move, a release, a wheel notch, a key or a
// right click does to the model, and what the control must then do (notify, redraw, capture, cursor).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/response_graph.h"
#include "core/ui/rect.h"

namespace vela {

inline constexpr int kGraphHandleSize = 24;  // hit box and sprite of a handle or Q handle
inline constexpr int kGraphMenuItemWidth = 50;
// A menu with more than Copy and Paste: room for "Import EQ..." in every language.
inline constexpr int kGraphWideMenuItemWidth = 100;
inline constexpr int kGraphMenuItemHeight = 20;

struct GraphPoint {
    int x = 0;
    int y = 0;
    bool operator==(const GraphPoint&) const = default;
};

// ---- Handles ----

// Client position of a handle: (plot left + x, 0 dB line + y).
GraphPoint HandleCentre(const ResponseGraph& g, int h);
// The first enabled handle whose 24 x 24 box holds the point; -1 for none.
int HandleAt(const ResponseGraph& g, int x, int y);
// Top-left of a handle's sprite.
GraphPoint HandleSpriteOrigin(const ResponseGraph& g, int h);

// ---- Q handles ----

// The selected handle is an enabled band with a Q and the graph shows Q handles.
bool QHandlesShown(const ResponseGraph& g);
// Pixels between a band handle and each of its Q handles: 124 at the lowest Q down to 24 at the highest.
int QHandleDistance(double q);
GraphPoint LeftQCentre(const ResponseGraph& g);
GraphPoint RightQCentre(const ResponseGraph& g);
// The Q-table index for a Q handle's distance beyond its closest point (held to 0..100).
int QIndexForDistance(int distance);

// ---- Value label ----

// "F:1000 Q:1.50 G:-3.0", "F:OFF" and the like, for an enabled handle.
std::wstring ValueLabelText(const ResponseGraph& g, int h);
// Top-left of the label box of that measured size, kept inside the plot and below (or above) the handle.
GraphPoint PlaceValueLabel(const ResponseGraph& g, int h, int width, int height);

// ---- Curves and grid ----

// The sum curve as a path: one point per column from the plot's left edge, points whose y repeats the
// previous point's left out, always ending at the last column.
std::vector<GraphPoint> SumCurvePath(const ResponseGraph& g);
// The closed outline of the selected handle's own curve, shaped by the kind of handle.
std::vector<GraphPoint> SelectedCurveOutline(const ResponseGraph& g);

struct GridLine {
    int position = 0;   // x of a vertical line or y of a horizontal one, in client pixels
    std::wstring text;  // empty for an unlabelled line
};
// Seven rows from the plot's top to its bottom, labelled +12 .. -24 whatever the gain range.
std::vector<GridLine> GainGridLines(const ResponseGraph& g);
// Vertical lines from 19 Hz to 20600 Hz, a few of them labelled.
std::vector<GridLine> FrequencyGridLines(const ResponseGraph& g);

// Where the "EQ PASS" image goes while the EQ is passed.
GraphPoint EqPassOrigin(const ResponseGraph& g);

// ---- Menu ----

int MenuItemWidth(const ResponseGraph& g);
// Where an item of the open menu stands; an empty rectangle for an item the menu does not have.
Rect MenuItemRect(const ResponseGraph& g, GraphMenu item);
// The item under the point; kClosed for none.
GraphMenu MenuItemAt(const ResponseGraph& g, int x, int y);
// An item's caption in the current language ("Copy" and "Paste" are the same in every one).
std::wstring_view MenuItemText(GraphMenu item);

// ---- Interaction ----

struct GraphNotice {
    int wparam = 0;
    int lparam = 0;
    bool operator==(const GraphNotice&) const = default;
};
// What the page hears for a handle: (1, 0) high-pass, (2, 0) low-pass, (0, band) a band.
GraphNotice NoticeFor(int h);
inline constexpr GraphNotice kCopyNotice{3, 0};
inline constexpr GraphNotice kPasteNotice{4, 0};
inline constexpr GraphNotice kImportNotice{5, 0};
inline constexpr GraphNotice kExportNotice{6, 0};

enum class GraphCursor { kKeep, kHand, kArrow };

// What the control does after a handler: notices in order, then drawing, capture and cursor.
struct GraphEffects {
    std::vector<GraphNotice> notices;
    bool redraw = false;
    bool paint_now = false;  // repaint before returning to the message loop
    bool take_focus = false;
    bool capture = false;
    bool release_capture = false;
    GraphCursor cursor = GraphCursor::kKeep;
};

GraphEffects GraphPress(ResponseGraph& g, int x, int y);
GraphEffects GraphMove(ResponseGraph& g, int x, int y);
GraphEffects GraphRelease(ResponseGraph& g, int x, int y);
// Another window took the mouse: a drag ends where it stands, without a word to the page.
GraphEffects GraphCaptureLost(ResponseGraph& g);
// A positive delta raises a band's gain by 0.1 dB or moves a pass filter one table entry down.
GraphEffects GraphWheel(ResponseGraph& g, int delta);
enum class GraphKey { kUp, kDown };
GraphEffects GraphKeyDown(ResponseGraph& g, GraphKey key);
GraphEffects GraphRightButtonUp(ResponseGraph& g, int x, int y);
// One 100 ms tick of the selected handle's animation.
void GraphTick(ResponseGraph& g);

}  // namespace vela
