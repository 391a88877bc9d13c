#include "core/text/calendar.h"

namespace vela {

std::tm LocalCalendar(std::time_t moment) {
    std::tm time{};
#ifdef _WIN32
    localtime_s(&time, &moment);
#else
    localtime_r(&moment, &time);
#endif
    return time;
}

std::tm UtcCalendar(std::time_t moment) {
    std::tm time{};
#ifdef _WIN32
    gmtime_s(&time, &moment);
#else
    gmtime_r(&moment, &time);
#endif
    return time;
}

std::string CalendarText(const std::tm& time, const char* format) {
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, format, &time);
    return std::string(text, length);
}

}  // namespace vela
