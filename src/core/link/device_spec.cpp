#include "core/link/device_spec.h"

namespace vela {

namespace {

DeviceSpecParse Fail(std::string_view text, std::string_view why) {
    DeviceSpecParse r;
    r.error = "unknown device \"" + std::string(text) + "\"";
    if (!why.empty()) {
        r.error += " (" + std::string(why) + ")";
    }
    r.error += ": use " + std::string(kDeviceSpecHelp);
    return r;
}

// "tcp:HOST:PORT", with an IPv6 host in brackets.
DeviceSpecParse ParseTcp(std::string_view text) {
    DeviceSpec spec;
    constexpr std::string_view kTcp = "tcp:";
    if (!text.starts_with(kTcp)) {
        return Fail(text, "");
    }
    const std::string_view rest = text.substr(kTcp.size());
    const auto colon = rest.rfind(':');
    if (colon == std::string_view::npos) {
        return Fail(text, "no port");
    }
    std::string_view host = rest.substr(0, colon);
    const std::string_view port = rest.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return Fail(text, "write an IPv6 address in brackets");
    }
    if (host.empty()) {
        return Fail(text, "no host");
    }
    unsigned long value = 0;
    if (port.empty() || port.size() > 5) {
        return Fail(text, "bad port");
    }
    for (char c : port) {
        if (c < '0' || c > '9') {
            return Fail(text, "bad port");
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > 65535) {
        return Fail(text, "port out of range");
    }
    spec.kind = DeviceSpec::Kind::kTcp;
    spec.host = std::string(host);
    spec.port = static_cast<std::uint16_t>(value);
    return {spec, {}};
}

}  // namespace

DeviceSpecParse ParseDeviceSpec(std::string_view text) {
    DeviceSpec spec;
    if (text == "usb") {
        return {spec, {}};
    }
    constexpr std::string_view kUsbPath = "usb:";
    if (text.starts_with(kUsbPath)) {
        if (text.size() == kUsbPath.size()) {
            return Fail(text, "no path");
        }
        spec.path = std::string(text.substr(kUsbPath.size()));
        return {spec, {}};
    }
    constexpr std::string_view kFile = "file:";
    if (text.starts_with(kFile)) {
        if (text.size() == kFile.size()) {
            return Fail(text, "no path");
        }
        spec.kind = DeviceSpec::Kind::kFile;
        spec.path = std::string(text.substr(kFile.size()));
        return {spec, {}};
    }
    if (text == "sim") {
        spec.kind = DeviceSpec::Kind::kSim;
        return {spec, {}};
    }
    return ParseTcp(text);
}

std::string ToString(const DeviceSpec& spec) {
    switch (spec.kind) {
        case DeviceSpec::Kind::kSim:
            return "sim";
        case DeviceSpec::Kind::kTcp:
            if (spec.host.find(':') != std::string::npos) {
                return "tcp:[" + spec.host + "]:" + std::to_string(spec.port);
            }
            return "tcp:" + spec.host + ":" + std::to_string(spec.port);
        case DeviceSpec::Kind::kFile:
            return "file:" + spec.path;
        case DeviceSpec::Kind::kUsb:
            break;
    }
    return spec.path.empty() ? "usb" : "usb:" + spec.path;
}

}  // namespace vela
