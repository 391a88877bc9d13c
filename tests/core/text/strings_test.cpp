#include "core/text/strings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vela {
namespace {

class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = LanguageIndex(); }
    void TearDown() override { SetLanguageIndex(saved_); }

  private:
    int saved_ = kLanguageEnglish;
};

// The printf conversions of a text in order ("%3.0f", "%%", "%C"...), so that members can be compared.
std::vector<std::wstring> Conversions(std::wstring_view text) {
    std::vector<std::wstring> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%')
            continue;
        std::size_t j = i + 1;
        while (j < text.size() &&
               std::wstring_view(L"0123456789.-+ #").find(text[j]) != std::wstring_view::npos)
            ++j;
        if (j < text.size())
            ++j;
        out.emplace_back(text.substr(i, j - i));
        i = j - 1;
    }
    return out;
}

std::wstring LineBreaks(std::wstring_view text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n' || c == L'\r')
            out += c;
    }
    return out;
}

TEST(StringTable, EveryEntryHasThreeMembersWithTheSamePlaceholdersAndLineBreaks) {
    const auto& table = StringTable();
    ASSERT_EQ(table.size(), 141u);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto& m = table[i].members;
        for (const auto& member : m)
            ASSERT_FALSE(member.empty()) << "entry " << i;
        EXPECT_EQ(Conversions(m[0]), Conversions(m[2])) << "entry " << i;
        EXPECT_EQ(Conversions(m[1]), Conversions(m[2])) << "entry " << i;
        EXPECT_EQ(LineBreaks(m[0]), LineBreaks(m[2])) << "entry " << i;
        EXPECT_EQ(LineBreaks(m[1]), LineBreaks(m[2])) << "entry " << i;
    }
}

// The Traditional members are the Simplified wording in Traditional characters: same length, and
// no character that exists only in the other script.
TEST(StringTable, TraditionalMembersAreTheSimplifiedWordingInTraditionalCharacters) {
    const std::wstring_view simplified_only =
        L"设数据时频声响乐话统码认确键启动择连择态后览类称语删读写显线载换应过错态这么为关开复";
    const std::wstring_view traditional_only =
        L"設數據時頻聲響樂話統碼認確鍵啟動擇連態後覽類稱語刪讀寫顯線載換應過錯這麼為關開複";
    const auto& table = StringTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i == str::kLanguageNames)
            continue;  // the language names are given as they are
        const auto& m = table[i].members;
        EXPECT_EQ(m[0].size(), m[1].size()) << "entry " << i;
        for (wchar_t c : m[1])
            EXPECT_EQ(simplified_only.find(c), std::wstring_view::npos) << "entry " << i;
        for (wchar_t c : m[0])
            EXPECT_EQ(traditional_only.find(c), std::wstring_view::npos) << "entry " << i;
    }
}

TEST(StringTable, ChineseMembersTheProgramPrescribes) {
    const auto hans = [](int e) { return TextIn(e, kLanguageSimplified); };
    EXPECT_EQ(TextIn(str::kSearching, kLanguageTraditional), L"搜索連接");
    EXPECT_EQ(TextIn(str::kSuspended, kLanguageTraditional), L"暫停連接");
    EXPECT_EQ(hans(str::kSceneNumber), L"模式:");
    EXPECT_EQ(hans(str::kUseScene), L"调用模式");
    EXPECT_EQ(hans(str::kCallScene), L"调用模式");
    EXPECT_EQ(hans(str::kCallSceneFailed), L"调用模式失败!");
    EXPECT_EQ(hans(str::kNewPrefix), L"新");
    EXPECT_EQ(hans(str::kAutoModeLocked), L"自动模式不可调节!");
    EXPECT_EQ(hans(str::kNoDuplicateContent), L"没有复制内容!");
    // Given as words; the entry keeps the English member's placeholder.
    EXPECT_EQ(hans(str::kAutoVolumeOutput).substr(0, 6), L"自动音量输出");
    EXPECT_EQ(hans(str::kOnlineUpdate).substr(0, 6), L"在线下载进度");
    const auto& names = StringTable()[str::kLanguageNames].members;
    EXPECT_EQ(names[0], L"简体中文");
    EXPECT_EQ(names[1], L"繁体中文");
    EXPECT_EQ(names[2], L"English");
}

TEST(StringTable, NamedEntriesPointAtTheirEnglishText) {
    EXPECT_EQ(TextIn(str::kEquipmentOccupied, kLanguageEnglish), L"Equipment occupied!");
    EXPECT_EQ(TextIn(str::kSuccessful, kLanguageEnglish), L"Successful");
    EXPECT_EQ(TextIn(str::kNoDuplicateContent, kLanguageEnglish), L"No duplicate content!");
    EXPECT_EQ(TextIn(str::kLanguageNames, kLanguageEnglish), L"English");
    EXPECT_EQ(TextIn(str::kReadDeviceData, kLanguageEnglish), L"Read Device Data:%5.0f %%");
}

TEST_F(LanguageTest, TextFollowsTheProcessWideLanguage) {
    ASSERT_TRUE(SetLanguageIndex(kLanguageEnglish));
    EXPECT_EQ(Text(str::kSearching), L"Search..");
    ASSERT_TRUE(SetLanguageIndex(kLanguageTraditional));
    EXPECT_EQ(Text(str::kSearching), L"搜索連接");
    EXPECT_EQ(Text(extra::kAboutCaption), L"關於");
    ASSERT_TRUE(SetLanguageIndex(kLanguageSimplified));
    EXPECT_EQ(Text(str::kSuccessful), L"连接成功");
}

TEST_F(LanguageTest, OutOfRangeInputsAreRefused) {
    ASSERT_TRUE(SetLanguageIndex(kLanguageTraditional));
    EXPECT_FALSE(SetLanguageIndex(3));
    EXPECT_FALSE(SetLanguageIndex(-1));
    EXPECT_EQ(LanguageIndex(), kLanguageTraditional);
    EXPECT_TRUE(Text(-1).empty());
    EXPECT_TRUE(Text(str::kCount).empty());
    EXPECT_TRUE(TextIn(str::kSave, 5).empty());
}

TEST(Language, IdentifiersForMessageBoxes) {
    EXPECT_EQ(LanguageIdFor(0), 2052);
    EXPECT_EQ(LanguageIdFor(1), 1028);
    EXPECT_EQ(LanguageIdFor(2), 1033);
    EXPECT_EQ(LanguageIdFor(7), 1033);
}

TEST_F(LanguageTest, LanguageChangesWhileAnotherThreadReadsTexts) {
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop.load()) {
            const auto text = Text(str::kSearching);
            ASSERT_FALSE(text.empty());
        }
    });
    for (int i = 0; i < 2000; ++i)
        SetLanguageIndex(i % kLanguageCount);
    stop = true;
    reader.join();
}

TEST_F(LanguageTest, LinkStateCaptionsFollowALanguageChange) {
    ASSERT_TRUE(SetLanguageIndex(kLanguageTraditional));
    EXPECT_EQ(RelocalizeLinkState(L"Search.."), L"搜索連接");
    EXPECT_EQ(RelocalizeLinkState(L"连接成功"), L"連接成功");
    ASSERT_TRUE(SetLanguageIndex(kLanguageEnglish));
    EXPECT_EQ(RelocalizeLinkState(L"暫停連接"), L"Suspended");
    EXPECT_FALSE(RelocalizeLinkState(L"VELA3.1").has_value());
    EXPECT_FALSE(RelocalizeLinkState(L"").has_value());
}

TEST(Language, ChosenFromTheSystemLocale) {
    EXPECT_EQ(LanguageIndexForLocale(0x804), kLanguageSimplified);
    EXPECT_EQ(LanguageIndexForLocale(0x404), kLanguageTraditional);
    EXPECT_EQ(LanguageIndexForLocale(0xC04), kLanguageTraditional);
    EXPECT_EQ(LanguageIndexForLocale(0x1004), kLanguageEnglish);  // Chinese (Singapore)
    EXPECT_EQ(LanguageIndexForLocale(0x409), kLanguageEnglish);
}

TEST(FormatText, AppliesTheTableFormats) {
    EXPECT_EQ(FormatText(TextIn(str::kReadDeviceData, kLanguageEnglish), 42.0), L"Read Device Data:   42 %");
    EXPECT_EQ(FormatText(TextIn(str::kMusicFader, kLanguageSimplified), 60.0), L"音乐: 60%");
    EXPECT_EQ(FormatText(L"%d-SYSTEM", 3), L"3-SYSTEM");
}

}  // namespace
}  // namespace vela
