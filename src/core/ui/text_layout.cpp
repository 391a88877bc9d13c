#include "core/ui/text_layout.h"

namespace vela {

TextBox ButtonTextBox(TextBox box, int flags, float text_width, float text_height) {
    if ((flags & kTextSingleLine) == 0)
        return box;
    if (flags & kTextMiddle) {
        box.y += (box.height - text_height) / 2;
        box.height = text_height;
    } else if (flags & kTextBottom) {
        box.y += box.height - text_height;
        box.height = text_height;
    }
    if (flags & kTextCentre) {
        box.x += (box.width - text_width) / 2;
        box.width = text_width;
    }
    return box;
}

TextBox LabelTextBox(float client_width, float client_height, float text_width, float text_height) {
    TextBox box{0, 0, client_width - 1, client_height - 1};
    if (text_width > box.width) {
        box.x -= (text_width - box.width) / 2;
        box.width = text_width;
    }
    if (text_height > box.height) {
        box.y -= (text_height - box.height) / 2;
        box.height = text_height;
    }
    return box;
}

}  // namespace vela
