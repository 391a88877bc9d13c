// The recently used scene files: newest first, bounded, kept through the settings store, and a file that
// is not there now hidden without being forgotten.
#include "core/files/recent_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

TEST(RecentFilesTest, AddingKeepsTheNewestFirstWithoutRepeatsUpToTheLimit) {
    struct Case {
        const char* what;
        std::vector<const char*> added;
        std::vector<const char*> expected;
    };
    const Case cases[] = {
        {"one", {"/a.lub"}, {"/a.lub"}},
        {"newest first", {"/a.lub", "/b.lub"}, {"/b.lub", "/a.lub"}},
        {"used again moves to the front", {"/a.lub", "/b.lub", "/a.lub"}, {"/a.lub", "/b.lub"}},
        {"nothing that the store cannot hold", {"/a.lub", "", "/x|y.lub", "/n\n.lub"}, {"/a.lub"}},
        {"the oldest goes past the limit",
         {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"},
         {"/9", "/8", "/7", "/6", "/5", "/4", "/3", "/2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecentFiles recent;
        for (const char* p : c.added)
            recent.Add(p);
        std::vector<fs::path> expected(c.expected.begin(), c.expected.end());
        EXPECT_EQ(recent.Entries(), expected);
    }
}

TEST(RecentFilesTest, KeptThroughTheStoreWithChinesePathsAndWhatIsThereNow) {
    testing::TempDir dir;
    const CZB_FileData store(FileLocations{dir.Path(), (dir.Path() / "u" / "Temp").string() + "/"});
    const fs::path chinese = dir.Path() / fs::path(u8"客户") / fs::path(u8"房间.lub");
    const fs::path gone = dir.Path() / "gone.lub";
    fs::create_directories(chinese.parent_path());
    std::ofstream(chinese) << "x";
    fs::create_directories(dir.Path() / "folder.lub");

    EXPECT_TRUE(RecentFiles::Load(store).Entries().empty());
    RecentFiles recent;
    recent.Add(gone);
    recent.Add(dir.Path() / "folder.lub");
    recent.Add(chinese);
    ASSERT_TRUE(recent.Save(store));

    const RecentFiles loaded = RecentFiles::Load(store);
    EXPECT_EQ(loaded.Entries(), recent.Entries());
    EXPECT_EQ(loaded.Present(), std::vector<fs::path>{chinese});

    RecentFiles fewer = loaded;
    fewer.Remove(chinese);
    EXPECT_FALSE(fewer.Contains(chinese));
    ASSERT_TRUE(fewer.Save(store));
    EXPECT_EQ(RecentFiles::Load(store).Entries().size(), 2u);
}

TEST(RecentFilesTest, AStoredListThatWasEditedByHandLoadsWhatItCan) {
    testing::TempDir dir;
    const CZB_FileData store(FileLocations{dir.Path(), (dir.Path() / "u" / "Temp").string() + "/"});
    ASSERT_TRUE(store.WriteString(kRecentScenesFile, kRecentScenesKey, "/a.lub||/b.lub|/a.lub|").Ok());
    EXPECT_EQ(RecentFiles::Load(store).Entries(), (std::vector<fs::path>{"/a.lub", "/b.lub"}));
}

}  // namespace
}  // namespace vela
