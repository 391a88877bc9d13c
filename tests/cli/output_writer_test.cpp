// One command's data, printed as text and as JSON: missing values, names in units and outside text.
#include "cli/output_writer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vela::cli {
namespace {

template <class Report>
std::string Printed(const Report& r, bool json, bool units = true) {
    std::ostringstream out;
    OutputWriter(out, json, units).Print(r);
    return out.str();
}

TEST(OutputWriter, ADiffShowsMissingSidesAndNamesInUnits) {
    DiffReport r{"a.lub", "tcp:h:1", 0x6201, 0x6202, {}};
    r.rows.push_back({800, 4660, 7, false});
    r.rows.push_back({947, std::nullopt, 3, false});
    EXPECT_EQ(Printed(r, false), "800 reserved 4660 7\n947 - - 3\n");
    EXPECT_EQ(Printed(r, true),
              "{\"a\": \"a.lub\", \"b\": \"tcp:h:1\", \"a_device_id\": 25089, \"b_device_id\": 25090, "
              "\"differences\": [\n  {\"index\": 800, \"name\": \"reserved\", \"a\": 4660, \"b\": 7},\n  "
              "{\"index\": 947, \"name\": \"-\", \"a\": null, \"b\": 3}\n]}\n");
    EXPECT_EQ(Printed(DiffReport{"a", "b", 1, 1, {}}, true),
              "{\"a\": \"a\", \"b\": \"b\", \"a_device_id\": 1, \"b_device_id\": 1, \"differences\": []}\n");
}

TEST(OutputWriter, WhatTheWifiModuleSentIsMadeSafeForATerminalAndForJson) {
    WifiReport r;
    r.mode = "hotspot";
    r.hotspot_ssid = "Lobby\x1b[2J";
    EXPECT_EQ(
        Printed(r, false),
        "address: (no answer)\nmode: hotspot\nhotspot ssid: Lobby\\x1b[2J\nhotspot password: (no answer)\n"
        "route ssid: (no answer)\nroute password: (no answer)\n");
    EXPECT_EQ(Printed(r, true),
              "{\"address\": null, \"mode\": \"hotspot\", \"hotspot_ssid\": \"Lobby\\u001b[2J\", "
              "\"hotspot_password\": null, \"route_ssid\": null, \"route_password\": null}\n");
}

TEST(OutputWriter, ValuesByNameCarryTheirUnitUnlessRaw) {
    const ValuesReport r{3, 0x6201, {{28, 570, true}, {800, 5, false}}};
    EXPECT_EQ(Printed(r, false), "master.music 70 %\n800 5\n");
    EXPECT_EQ(Printed(r, false, false), "master.music 570\n800 5\n");
    EXPECT_EQ(Printed(r, true),
              "{\"line\": 3, \"device_id\": 25089, \"parameters\": [{\"index\": 28, \"value\": 570, \"name\": "
              "\"master.music\", \"text\": \"70 %\", \"unit\": \"%\"}, {\"index\": 800, \"value\": 5}]}\n");
}

}  // namespace
}  // namespace vela::cli
