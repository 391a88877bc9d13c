// The About box: the program's version and build date, and a way to the log folder.
#pragma once

#include <string>

#include "core/model/parameter_map.h"

namespace vela {

// The text of the box: version line, build date and the log folder question.
std::wstring AboutText();
// Shows it; Yes opens the log folder.
void ShowAboutBox(IUserMessages& messages);

}  // namespace vela
