// Where the image button and the label put their caption, given the measured text size.
#pragma once

namespace vela {

// Text flags shared by the image button and the label.
enum TextFlag : int {
    kTextCentre = 0x01,
    kTextRight = 0x02,
    kTextMiddle = 0x04,
    kTextBottom = 0x08,
    kTextSingleLine = 0x20
};

struct TextBox {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// The button's box is its scaled active rectangle; on a single line it is moved onto the measured text:
// centred vertically (middle) or at the bottom, and centred horizontally on the text width (centre).
TextBox ButtonTextBox(TextBox box, int flags, float text_width, float text_height);

// The label's box is its client area less a pixel, widened and heightened symmetrically when the text is
// larger, so that an overflowing caption stays centred on the control.
TextBox LabelTextBox(float client_width, float client_height, float text_width, float text_height);

}  // namespace vela
