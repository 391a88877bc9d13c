#include "core/text/calendar.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vela {
namespace {

TEST(Calendar, UtcMomentsAndTheirText) {
    const struct {
        std::time_t moment;
        const char* format;
        std::string text;
    } cases[] = {
        {0, "%Y-%m-%d %H:%M:%S", "1970-01-01 00:00:00"},
        {1796850192, "%Y-%m-%d %H:%M:%SZ", "2026-12-09 21:03:12Z"},
        {951782400, "%Y-%m-%d", "2000-02-29"},  // a leap day
        {0, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalendarText(UtcCalendar(c.moment), c.format), c.text) << c.moment;
    }
    // A format longer than any line of text gives nothing rather than a cut or unterminated one.
    EXPECT_EQ(CalendarText(UtcCalendar(0), std::string(200, 'x').c_str()), "");
    // Local time differs from UTC by whole minutes, less than a day.
    const std::tm local = LocalCalendar(1796850192);
    EXPECT_LE(std::abs((local.tm_mday - 9) * 1440 + (local.tm_hour - 21) * 60 + (local.tm_min - 3)), 1440);
}

}  // namespace
}  // namespace vela
