// What velactl's commands print, as data, and the one writer that prints it as text or as JSON. The
// commands talk to the device and fill these; nothing else in velactl formats its results.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/usb_hid.h"

namespace vela::cli {

// A device id or file word as 0x6201.
std::string Hex4(std::uint32_t value);

struct StatusReport {
    std::string device;
    std::uint32_t device_id = 0;
    std::uint32_t scene_limit = 0;
};

// A parameter's value, and whether it was asked by name (then shown with its name and unit).
struct ParameterValue {
    std::uint16_t index = 0;
    std::uint32_t value = 0;
    bool by_name = false;
};

// get, set by name and a batch's get lines (line > 0).
struct ValuesReport {
    int line = 0;
    std::uint32_t device_id = 0;
    std::vector<ParameterValue> values;
};

// dump: the whole table in index order.
struct TableReport {
    std::uint32_t device_id = 0;
    std::vector<std::uint32_t> values;
    bool names = false;
};

struct SceneListReport {
    int line = 0;  // > 0: a batch line
    int current = 0;
    std::vector<std::optional<std::string>> names;  // scene 1 first; nothing where it did not answer
};

// The Wi-Fi module's answers; nothing where it did not answer.
struct WifiReport {
    std::optional<std::string> address, mode, hotspot_ssid, hotspot_password, route_ssid, route_password;
};

struct WatchChange {
    std::string time;
    ParameterValue value;
};

// inspect: a scene file's header and values.
struct SceneFileReport {
    std::string file;
    std::uint32_t device_id = 0;
    std::uint32_t value_count = 0;
    std::uint32_t data_offset = 0;
    std::string written;
    std::vector<std::uint32_t> values;
};

struct DiffReport {
    struct Row {
        std::size_t index = 0;
        std::optional<std::uint32_t> a, b;  // nothing: the side holds no such value
        bool by_name = false;
    };
    std::string a_name, b_name;
    std::uint32_t a_device_id = 0, b_device_id = 0;
    std::vector<Row> rows;
};

// A batch line without data of its own.
struct LineResult {
    int line = 0;
    bool ok = true;
    int exit = 0;  // when not ok
};

class OutputWriter {
  public:
    // `units`: values asked by name are shown in their units (not with --raw).
    OutputWriter(std::ostream& out, bool json, bool units) : out_(out), json_(json), units_(units) {}

    void Print(const std::vector<UsbDeviceInfo>& devices);
    void Print(const StatusReport& r);
    void Print(const ValuesReport& r);
    void Print(const TableReport& r);
    void Print(const SceneListReport& r);
    void Print(const WifiReport& r);
    void Print(const WatchChange& c);
    void Print(const SceneFileReport& r);
    void Print(const DiffReport& r);
    // Text output has no line for a failed one: stderr says it.
    void Print(const LineResult& r);

  private:
    std::ostream& out_;
    bool json_;
    bool units_;
};

}  // namespace vela::cli
