#include <gtest/gtest.h>

#include <map>

#include "core/model/parameter_layout.h"
#include "core/protocol/protocol.h"

namespace vela {
namespace {

using layout::ParameterName;

TEST(ParameterNames, NamesFromTheMap) {
    EXPECT_EQ(ParameterName(0), "device identity");
    EXPECT_EQ(ParameterName(177), "Echo L pre-delay");
    EXPECT_EQ(ParameterName(178), "Echo R pre-delay");
    EXPECT_EQ(ParameterName(26), "MIC VOL A");
    EXPECT_EQ(ParameterName(942), "mode word");
    EXPECT_EQ(ParameterName(38), "MIC A HPF frequency");
    EXPECT_EQ(ParameterName(49), "MIC B LPF slope");
    EXPECT_EQ(ParameterName(53), "MIC A EQ band 1 type");
    EXPECT_EQ(ParameterName(172), "MIC B EQ band 15 Q");
    EXPECT_EQ(ParameterName(313), "Music EQ band 15 Q");
    EXPECT_EQ(ParameterName(222), "Echo EQ band 5 gain");
    EXPECT_EQ(ParameterName(224), "Reverb EQ band 1 type");
    EXPECT_EQ(ParameterName(314), "Main (Sing) Music Vol");
    EXPECT_EQ(ParameterName(347), "Main (Sing) EQ band 4 type");  // code 3: bands are counted from 1 here
    EXPECT_EQ(ParameterName(555), "Main (Dance) EQ band 4 type");
    EXPECT_EQ(ParameterName(375), "Center (Sing) Delay");
    EXPECT_EQ(ParameterName(432), "Sub (Sing) HPF Q");
    EXPECT_EQ(ParameterName(644), "Sub (Dance) LPF Q");
    EXPECT_EQ(ParameterName(725), "Rear (Dance) EQ band 7 Q");
    EXPECT_EQ(ParameterName(469 + 9), "Rear (Sing) Right-Delay");
}

// The entries the device keeps for itself, as listed with the layout, and the strips' spare slots.
TEST(ParameterNames, UnusedEntriesAreReserved) {
    std::vector<std::size_t> unused;
    for (std::size_t i = 1; i <= 24; ++i)
        unused.push_back(i);
    for (std::size_t i : {39,  40,  43,  44,  47,  48,  51,  52,  190, 191, 194, 195,
                          198, 199, 202, 203, 248, 249, 252, 253, 924, 937, 938, 939}) {
        unused.push_back(i);
    }
    for (std::size_t i = 730; i <= 915; ++i)
        unused.push_back(i);
    for (std::size_t bank : {0, 208}) {
        for (std::size_t base : {314, 469}) {
            for (std::size_t offset : {15, 16, 19, 20, 49, 50, 51, 52})
                unused.push_back(bank + base + offset);
        }
        for (std::size_t base : {367, 418}) {
            for (std::size_t offset : {13, 17, 47, 48, 49, 50})
                unused.push_back(bank + base + offset);
        }
        unused.push_back(bank + 367 + 14);  // Center has no filter Q
        unused.push_back(bank + 367 + 18);
    }
    for (std::size_t i : unused)
        EXPECT_EQ(ParameterName(i), "reserved") << i;
}

TEST(ParameterNames, EveryIndexHasOneNameAndMeaningfulNamesAreUnique) {
    std::map<std::string, std::size_t> first_index;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const std::string name = ParameterName(i);
        ASSERT_FALSE(name.empty()) << i;
        if (name == "reserved")
            continue;
        const auto [it, inserted] = first_index.emplace(name, i);
        EXPECT_TRUE(inserted) << '"' << name << "\" names " << it->second << " and " << i;
    }
    EXPECT_TRUE(ParameterName(kParameterCount).empty());
    EXPECT_TRUE(ParameterName(60000).empty());
}

}  // namespace
}  // namespace vela
