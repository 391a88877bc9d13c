#include "cli/output_writer.h"

#include <cstdio>
#include <iomanip>

#include "cli/json_writer.h"
#include "cli/output_text.h"
#include "cli/params_command.h"
#include "core/model/parameter_catalogue.h"
#include "core/model/parameter_layout.h"
#include "core/protocol/protocol.h"

namespace vela::cli {

namespace {

// The members beyond index and value of a parameter asked by name: name, bank, text and unit.
void NameMembers(JsonWriter& json, std::uint16_t index, std::uint16_t raw) {
    const catalogue::Parameter& p = catalogue::At(index);
    json.Key("name").String(ShownName(index));
    if (p.bank != catalogue::Bank::kNone)
        json.Key("bank").String(catalogue::BankName(p.bank));
    json.Key("text").String(catalogue::Format(p, raw)).Key("unit").String(catalogue::UnitOf(p));
}

void ValueMembers(JsonWriter& json, const ParameterValue& v) {
    json.Key("index").Number(v.index).Key("value").Number(v.value);
    if (v.by_name)
        NameMembers(json, v.index, static_cast<std::uint16_t>(v.value));
}

// A batch line's objects say which line they answer.
void LineMember(JsonWriter& json, int line) {
    if (line > 0)
        json.Key("line").Number(line);
}

std::string NameOf(std::size_t index) {
    return index < kParameterCount ? layout::ParameterName(index) : std::string("-");
}

}  // namespace

std::string Hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

void OutputWriter::Print(const std::vector<UsbDeviceInfo>& devices) {
    if (json_) {
        JsonWriter json(out_);
        json.OpenArray(JsonLayout::kRows);
        for (const auto& d : devices) {
            json.Open().Key("path").String(d.path).Key("port").String(d.port).Key("serial").String(d.serial);
            json.Key("vendor_id").Number(d.vendor_id).Key("product_id").Number(d.product_id).Close();
        }
        json.CloseArray();
        out_ << "\n";
        return;
    }
    for (const auto& d : devices) {
        out_ << std::hex << std::setfill('0') << std::setw(4) << d.vendor_id << ":" << std::setw(4)
             << d.product_id << std::dec << std::setfill(' ') << "  " << TerminalText(DescribeUsbDevice(d))
             << "\n";
    }
}

void OutputWriter::Print(const StatusReport& r) {
    if (json_) {
        JsonWriter(out_)
            .Open()
            .Key("device")
            .String(r.device)
            .Key("device_id")
            .Number(r.device_id)
            .Key("scene_limit")
            .Number(r.scene_limit)
            .Key("link")
            .String("connected")
            .Close();
        out_ << "\n";
        return;
    }
    out_ << "device: " << r.device << "\n";
    out_ << "device id: " << Hex4(r.device_id) << "\n";
    out_ << "scene limit: " << r.scene_limit << "\n";
    out_ << "link: connected\n";
}

void OutputWriter::Print(const ValuesReport& r) {
    if (json_) {
        JsonWriter json(out_);
        json.Open();
        LineMember(json, r.line);
        json.Key("device_id").Number(r.device_id).Key("parameters").OpenArray(JsonLayout::kOneLine);
        for (const auto& v : r.values) {
            json.Open();
            ValueMembers(json, v);
            json.Close();
        }
        json.CloseArray().Close();
        out_ << std::endl;
        return;
    }
    for (const auto& v : r.values) {
        if (v.by_name)
            out_ << ShownName(v.index) << " "
                 << ValueText(v.index, static_cast<std::uint16_t>(v.value), units_) << "\n";
        else
            out_ << v.index << " " << v.value << "\n";
    }
    out_.flush();
}

void OutputWriter::Print(const TableReport& r) {
    if (json_) {
        JsonWriter json(out_);
        json.Open().Key("device_id").Number(r.device_id).Key("parameters").OpenArray(JsonLayout::kIndented);
        for (std::size_t i = 0; i < r.values.size(); ++i) {
            json.Open().Key("index").Number(i).Key("value").Number(r.values[i]);
            if (r.names)
                json.Key("name").String(layout::ParameterName(i));
            json.Close();
        }
        json.CloseArray().Close();
        out_ << "\n";
        return;
    }
    for (std::size_t i = 0; i < r.values.size(); ++i) {
        out_ << i << " " << r.values[i];
        if (r.names)
            out_ << " " << layout::ParameterName(i);
        out_ << "\n";
    }
}

void OutputWriter::Print(const SceneListReport& r) {
    const int count = static_cast<int>(r.names.size());
    if (json_) {
        JsonWriter json(out_);
        json.Open();
        LineMember(json, r.line);
        json.Key("current").Number(r.current).Key("scenes").OpenArray(JsonLayout::kOneLine);
        for (int n = 1; n <= count; ++n) {
            const auto& name = r.names[static_cast<std::size_t>(n - 1)];
            json.Open().Key("number").Number(n).Key("name").StringOrNull(name).Close();
        }
        json.CloseArray().Close();
        out_ << std::endl;
        return;
    }
    for (int n = 1; n <= count; ++n) {
        const auto& name = r.names[static_cast<std::size_t>(n - 1)];
        out_ << (n == r.current ? "* " : "  ") << n << " "
             << (name ? TerminalText(*name) : std::string("(no answer)")) << "\n";
    }
    out_.flush();
}

void OutputWriter::Print(const WifiReport& r) {
    if (json_) {
        const std::pair<const char*, const std::optional<std::string>*> fields[] = {
            {"address", &r.address},           {"mode", &r.mode},
            {"hotspot_ssid", &r.hotspot_ssid}, {"hotspot_password", &r.hotspot_password},
            {"route_ssid", &r.route_ssid},     {"route_password", &r.route_password}};
        JsonWriter json(out_);
        json.Open();
        for (const auto& [name, value] : fields)
            json.Key(name).StringOrNull(*value);
        json.Close();
        out_ << "\n";
        return;
    }
    const auto text = [](const std::optional<std::string>& v) {
        return TerminalText(v.value_or("(no answer)"));
    };
    out_ << "address: " << r.address.value_or("(no answer)") << "\n";
    out_ << "mode: " << r.mode.value_or("(no answer)") << "\n";
    out_ << "hotspot ssid: " << text(r.hotspot_ssid) << "\n";
    out_ << "hotspot password: " << text(r.hotspot_password) << "\n";
    out_ << "route ssid: " << text(r.route_ssid) << "\n";
    out_ << "route password: " << text(r.route_password) << "\n";
}

void OutputWriter::Print(const WatchChange& c) {
    const ParameterValue& v = c.value;
    if (json_) {
        JsonWriter json(out_);
        json.Open().Key("time").String(c.time);
        ValueMembers(json, v);
        json.Close();
    } else if (v.by_name) {
        out_ << c.time << " " << ShownName(v.index) << " "
             << ValueText(v.index, static_cast<std::uint16_t>(v.value), units_);
    } else {
        out_ << c.time << " " << v.index << " " << v.value;
    }
    out_ << std::endl;
}

void OutputWriter::Print(const SceneFileReport& r) {
    if (json_) {
        JsonWriter json(out_);
        json.Open().Key("file").String(r.file).Key("device_id").Number(r.device_id);
        json.Key("values").Number(r.value_count).Key("data_offset").Number(r.data_offset);
        json.Key("written").String(r.written).Key("parameters").OpenArray(JsonLayout::kIndented);
        for (std::size_t i = 0; i < r.values.size() && out_; ++i) {
            json.Open().Key("index").Number(i).Key("value").Number(r.values[i]);
            if (i < kParameterCount)
                json.Key("name").String(layout::ParameterName(i));
            json.Close();
        }
        json.CloseArray().Close();
        out_ << "\n";
        return;
    }
    out_ << "file: " << r.file << "\n"
         << "device id: " << Hex4(r.device_id) << "\n"
         << "values: " << r.value_count << "\n"
         << "data offset: " << r.data_offset << "\n"
         << "written: " << r.written << "\n";
    for (std::size_t i = 0; i < r.values.size() && out_; ++i) {
        out_ << i << " " << r.values[i];
        if (i < kParameterCount)
            out_ << " " << layout::ParameterName(i);
        out_ << "\n";
    }
}

void OutputWriter::Print(const DiffReport& r) {
    if (json_) {
        JsonWriter json(out_);
        json.Open().Key("a").String(r.a_name).Key("b").String(r.b_name);
        json.Key("a_device_id").Number(r.a_device_id).Key("b_device_id").Number(r.b_device_id);
        json.Key("differences").OpenArray(JsonLayout::kIndentedOrNone);
        const auto side = [&](const std::optional<std::uint32_t>& v) -> JsonWriter& {
            return v ? json.Number(*v) : json.Null();
        };
        for (const auto& row : r.rows) {
            json.Open().Key("index").Number(row.index).Key("name").String(NameOf(row.index)).Key("a");
            side(row.a).Key("b");
            side(row.b).Close();
        }
        json.CloseArray().Close();
        out_ << "\n";
        return;
    }
    for (const auto& row : r.rows) {
        const auto text = [&](const std::optional<std::uint32_t>& v) {
            if (!v)
                return std::string("-");
            if (row.by_name)
                return ValueText(static_cast<std::uint16_t>(row.index), static_cast<std::uint16_t>(*v),
                                 units_);
            return std::to_string(*v);
        };
        if (row.by_name)
            out_ << ShownName(static_cast<std::uint16_t>(row.index));
        else
            out_ << row.index << " " << NameOf(row.index);
        out_ << " " << text(row.a) << " " << text(row.b) << "\n";
    }
}

void OutputWriter::Print(const LineResult& r) {
    if (json_) {
        JsonWriter json(out_);
        json.Open().Key("line").Number(r.line).Key("ok").Bool(r.ok);
        if (!r.ok)
            json.Key("exit").Number(r.exit);
        json.Close();
        out_ << std::endl;
    } else if (r.ok) {
        out_ << "line " << r.line << ": ok" << std::endl;
    }
}

}  // namespace vela::cli
