// The calendar time of a moment, and that time as text, the same on Windows and POSIX (whose thread-safe
// conversions differ in name and argument order).
#pragma once

#include <ctime>
#include <string>

namespace vela {

std::tm LocalCalendar(std::time_t moment);
std::tm UtcCalendar(std::time_t moment);

// strftime into a string; empty where the format makes more than a line of text.
std::string CalendarText(const std::tm& time, const char* format);

}  // namespace vela
