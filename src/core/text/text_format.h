// Applies a caption or progress format with one numeric placeholder to a value, safely: the formats come
// from the string table and from callers, and a stray conversion must never read an argument that is not
// there.
#pragma once

#include <string>
#include <string_view>

namespace vela {

// The first conversion (%f %e %g %a in either case, or %d %i %u, with flags, width and precision) gets the
// value (integer conversions get it truncated toward zero); "%%" is a percent sign; every later or unknown
// conversion is copied as it stands. Widths and precisions are limited so that the text stays short.
std::wstring FormatWithValue(std::wstring_view format, double value);

// One double through a literal printf format such as "%.2f", at whatever length it takes; a negative
// zero is printed as zero ("0.0", never "-0.0"), so that a value read back keeps no stray sign.
std::string PrintNumber(const char* format, double value);

// Text from a device or a file on its way into a caption, a list or an edit box: control characters and
// direction overrides become U+FFFD, so that the text can neither break a line nor turn what follows it.
std::wstring PrintableText(std::wstring_view text);

}  // namespace vela
