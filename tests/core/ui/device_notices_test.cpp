// The title and the once-only messages of the main window about its device.
#include "core/ui/device_notices.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/text/strings.h"

namespace vela {
namespace {

constexpr std::wstring_view kProduct = L"VELA1.0";

TEST(DeviceTitleTest, NamesTheFileMarksAPendingWriteAndAReadOnlyFile) {
    SetLanguageIndex(kLanguageEnglish);
    struct Case {
        std::optional<DeviceFileState> file;
        std::wstring title;
    };
    const Case cases[] = {
        {std::nullopt, L"VELA1.0"},
        {DeviceFileState{"hall.lub", false, false, ""}, L"hall.lub - VELA1.0"},
        {DeviceFileState{"hall.lub", true, false, ""}, L"hall.lub* - VELA1.0"},
        {DeviceFileState{"\xE5\xA4\xA7\xE5\x8E\x85.lub", true, true, "x"},
         L"大厅.lub* [read-only] - VELA1.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceTitle(c.file, kProduct), c.title);
    SetLanguageIndex(kLanguageSimplified);
    EXPECT_EQ(DeviceTitle(DeviceFileState{"a.lub", false, true, ""}, kProduct), L"a.lub [只读] - VELA1.0");
    SetLanguageIndex(kLanguageEnglish);
}

// One poll per timer tick: each message is said once, however many ticks see the same state.
TEST(DeviceNoticesTest, ReadOnlyIsToldOnceAndEachNewRefusalOnce) {
    SetLanguageIndex(kLanguageEnglish);
    DeviceNotices notices;
    DeviceFileState file{"hall.lub", true, false, ""};
    std::vector<std::wstring> said;
    const auto poll = [&](const std::optional<DeviceFileState>& f, std::string_view refusal) {
        const auto n = notices.Poll(f, refusal, kProduct);
        if (n.message)
            said.push_back(*n.message);
        return n.title;
    };
    EXPECT_EQ(poll(file, ""), L"hall.lub* - VELA1.0");
    EXPECT_TRUE(said.empty());
    file.read_only = true;
    file.problem = "/rooms/hall.lub: cannot be written";
    for (int tick = 0; tick < 5; ++tick)
        EXPECT_EQ(poll(file, ""), L"hall.lub* [read-only] - VELA1.0");
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find(L"hall.lub cannot be written"), std::wstring::npos) << said[0].size();
    EXPECT_NE(said[0].find(L"Save Mode Local"), std::wstring::npos);
    EXPECT_NE(said[0].find(L"/rooms/hall.lub: cannot be written"), std::wstring::npos);

    // A served processor: the same refusal on every retry is told once; after a connection was let in, or
    // for another reason, it is news again.
    said.clear();
    const std::vector<std::string> refusals{"", "refused by h:1: wrong token", "refused by h:1: wrong token",
                                            "", "refused by h:1: wrong token", "busy: served to a since b"};
    for (const std::string& r : refusals)
        EXPECT_EQ(poll(std::nullopt, r), L"VELA1.0");
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[0], L"The server refused the connection:\nrefused by h:1: wrong token");
    EXPECT_EQ(said[1], said[0]);
    EXPECT_NE(said[2].find(L"busy: served to a since b"), std::wstring::npos);
}

TEST(DeviceNoticesTest, FillInTakesTextsOfAnyLengthAndLeavesFurtherSlots) {
    const std::wstring long_path(2000, L'x');
    EXPECT_EQ(FillIn(L"a %ls b %ls c %ls", long_path, L"y"), L"a " + long_path + L" b y c %ls");
    EXPECT_EQ(FillIn(L"%ls", L""), L"");
    EXPECT_EQ(FillIn(L"none", L"x"), L"none");
}

}  // namespace
}  // namespace vela
