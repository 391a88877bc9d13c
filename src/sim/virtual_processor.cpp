#include "sim/virtual_processor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/files/file_data.h"
#include "core/protocol/factory_defaults.h"

namespace vela::sim {

namespace {

constexpr std::size_t kSaveNameBytes = 20;
constexpr std::string_view kStateMagic = "vela-sim-state 1";
// The host strips the last two bytes of every module text, as the module ends its lines with CR LF.
constexpr std::string_view kLineEnd = "\r\n";

void AppendWord(std::vector<std::uint8_t>& out, std::uint16_t w) {
    out.push_back(HighByte(w));
    out.push_back(LowByte(w));
}

std::string Hex(std::uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, v);
    return buf;
}

std::string EncodeText(std::string_view text) {
    if (text.empty()) {
        return "-";
    }
    std::string out;
    for (unsigned char c : text)
        out += Hex(c, 2);
    return out;
}

bool DecodeText(const std::string& hex, std::string& out) {
    out.clear();
    if (hex == "-") {
        return true;
    }
    if (hex.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned v = 0;
        if (std::sscanf(hex.c_str() + i, "%2x", &v) != 1) {
            return false;
        }
        out.push_back(static_cast<char>(v));
    }
    return true;
}

bool ReadTable(std::istringstream& in, Table& table) {
    for (auto& v : table) {
        unsigned long x = 0;
        if (!(in >> std::hex >> x) || x > 0xFFFF) {
            return false;
        }
        v = static_cast<std::uint16_t>(x);
    }
    return true;
}

void WriteTable(std::ostream& out, const Table& table) {
    for (auto v : table)
        out << ' ' << Hex(v, 4);
}

// Parameters that belong to the device and not to a scene: identity, current scene, selector, occupancy.
bool SceneCarries(std::size_t index) {
    return index != param::kIdentity && index != param::kCurrentScene && index != param::kSceneSelector &&
           index != param::kOccupancy;
}

}  // namespace

VirtualProcessor::VirtualProcessor(FrameOut out)
    : out_(std::move(out)), receiver_([this](std::uint8_t command, std::span<const std::uint8_t> payload) {
          OnFrame(command, payload);
      }) {
    working_ = FactoryDefaults();
    working_[param::kIdentity] = kDeviceId;
    working_[param::kCurrentScene] = 1;
    working_[param::kSceneSelector] = 0;
    working_[param::kOccupancy] = kFree;
    saved_ = working_;
    for (int s = 0; s < kSceneSlots; ++s) {
        scenes_[static_cast<std::size_t>(s)] = {"Scene " + std::to_string(s + 1), working_};
    }
}

void VirtualProcessor::ReceiveBytes(std::span<const std::uint8_t> bytes) {
    receiver_.ReceiveBytes(bytes.data(), bytes.size());
}

void VirtualProcessor::Send(std::uint8_t command, std::span<const std::uint8_t> payload) {
    if (out_) {
        out_(EncodeFrame(command, payload));
    }
}

void VirtualProcessor::SendText(std::string_view text) {
    std::string line(text);
    line += kLineEnd;
    Send(cmd::kWifiText, std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
}

void VirtualProcessor::Announce() {
    // Carries the id so that the frame is longer than five bytes: a host scans for frames only once
    // six bytes are buffered, and a bare announce would wait for the next frame.
    const std::array<std::uint8_t, 2> id{HighByte(reported_id_), LowByte(reported_id_)};
    Send(cmd::kAnnounce, id);
}

void VirtualProcessor::SendWifiNotice(std::string_view keyword) {
    if (keyword == "Set_Restore:") {
        wifi_ = WifiModule{};
        SendText("Set_Restore:OK");
    } else if (keyword == "Set_Restart:") {
        SendText("Set_Restart:OK");
    }
}

std::uint16_t VirtualProcessor::Value(std::size_t index) const {
    if (index >= kParameterCount) {
        return 0;
    }
    if (index == param::kIdentity) {
        return reported_id_;
    }
    if (index == param::kOccupancy && occupied_) {
        return kOccupied;
    }
    return working_[index];
}

void VirtualProcessor::SetValue(std::size_t index, std::uint16_t value) {
    // The identity is fixed in the device.
    if (index < kParameterCount && index != param::kIdentity) {
        working_[index] = value;
    }
}

std::string VirtualProcessor::SceneName(int scene) const {
    if (scene < 1 || scene > kSceneSlots) {
        return {};
    }
    return scenes_[static_cast<std::size_t>(scene - 1)].name;
}

const Table& VirtualProcessor::SceneValues(int scene) const {
    return scenes_[static_cast<std::size_t>(std::clamp(scene, 1, kSceneSlots) - 1)].values;
}

std::uint64_t VirtualProcessor::FramesReceived(std::uint8_t command) const {
    const auto it = frames_by_command_.find(command);
    return it == frames_by_command_.end() ? 0 : it->second;
}

void VirtualProcessor::OnFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
    ++frames_by_command_[command];
    ++frames_total_;
    switch (command) {
        case cmd::kIdentify: {
            // Both forms: the identity, then the scene information with the highest scene number.
            const std::array<std::uint8_t, 4> identity{HighByte(reported_id_), LowByte(reported_id_), 0, 0};
            Send(cmd::kIdentify, identity);
            const std::array<std::uint8_t, 6> scenes{1, static_cast<std::uint8_t>(kSceneSlots), 0, 0, 0, 0};
            Send(cmd::kIdentify, scenes);
            break;
        }
        case cmd::kReadParameters:
            OnRead(payload);
            break;
        case cmd::kWriteParameters:
            OnWrite(payload);
            break;
        case cmd::kDump:
            if (!ignore_dump_) {
                OnDump();
            }
            break;
        case cmd::kSceneName: {
            if (payload.empty()) {
                break;
            }
            const int scene = payload[0];
            std::vector<std::uint8_t> reply{payload[0]};
            const std::string name = SceneName(scene);
            reply.insert(reply.end(), name.begin(), name.end());
            Send(cmd::kSceneName, reply);
            break;
        }
        case cmd::kCallScene:
            OnCallScene(payload);
            break;
        case cmd::kSaveScene:
            OnSaveScene(payload);
            break;
        case cmd::kSaveSettings: {
            if (ignore_saves_) {
                break;
            }
            saved_ = working_;
            SaveStateFile();
            const std::array<std::uint8_t, 2> ok{1, 1};
            Send(cmd::kSaveSettings, ok);
            break;
        }
        case cmd::kWifiText:
            if (mute_wifi_) {
                break;
            }
            OnWifi(std::string_view(reinterpret_cast<const char*>(payload.data()), payload.size()));
            break;
        default:
            break;  // not a command of this device: no answer
    }
}

void VirtualProcessor::OnCallScene(std::span<const std::uint8_t> payload) {
    if (payload.empty() || payload[0] < 1 || payload[0] > kSceneSlots) {
        return;  // no such scene: no acknowledgement
    }
    const auto& scene = scenes_[payload[0] - 1u];
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (SceneCarries(i)) {
            working_[i] = scene.values[i];
        }
    }
    working_[param::kCurrentScene] = payload[0];
    Send(cmd::kCallScene, payload.first(1));
}

void VirtualProcessor::OnSaveScene(std::span<const std::uint8_t> payload) {
    if (ignore_saves_ || payload.empty() || payload[0] < 1 || payload[0] > kSceneSlots) {
        return;
    }
    auto& scene = scenes_[payload[0] - 1u];
    const auto name_bytes = payload.subspan(1, std::min(kSaveNameBytes, payload.size() - 1));
    std::string name(name_bytes.begin(), name_bytes.end());
    if (const auto nul = name.find('\0'); nul != std::string::npos) {
        name.resize(nul);
    }
    while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ') {
        name.pop_back();
    }
    scene.name = name;
    scene.values = working_;
    working_[param::kCurrentScene] = payload[0];
    SaveStateFile();
    Send(cmd::kSaveScene, payload.first(1));
}

std::optional<std::string> VirtualProcessor::WifiQueryAnswer(const std::string& keyword) const {
    if (keyword == "Get_IP:")
        return Hex(wifi_.address, 8);
    if (keyword == "Get_LinkIP:")
        return Hex(wifi_.link_address, 8);
    if (keyword == "Get_WiFiMode:")
        return Hex(wifi_.mode, 1);
    if (keyword == "Get_TCPPort:")
        return std::to_string(wifi_.tcp_port);
    if (keyword == "Get_UDPPort:")
        return std::to_string(wifi_.udp_port);
    if (keyword == "Get_RouteSSID:")
        return wifi_.route_ssid;
    if (keyword == "Get_RoutePW:")
        return wifi_.route_password;
    if (keyword == "Get_HotSSID:")
        return wifi_.hot_ssid;
    if (keyword == "Get_HotPW:")
        return wifi_.hot_password;
    return std::nullopt;
}

void VirtualProcessor::SendValues(const std::vector<std::uint16_t>& indexes) {
    std::vector<std::uint8_t> reply;
    for (std::size_t k = 0; k < indexes.size(); ++k) {
        AppendWord(reply, indexes[k]);
        AppendWord(reply, Value(indexes[k]));
        if ((k + 1) % kMaxGroupsPerReply == 0 && k + 1 < indexes.size()) {
            Send(cmd::kReadParameters, reply);
            reply.clear();
        }
    }
    Send(cmd::kReadParameters, reply);
}

void VirtualProcessor::OnRead(std::span<const std::uint8_t> payload) {
    std::vector<std::uint16_t> indexes;
    for (std::size_t g = 0; g + 2 <= payload.size(); g += 2) {
        const std::uint16_t index = Word(payload[g], payload[g + 1]);
        if (index < kParameterCount) {
            indexes.push_back(index);
        }
    }
    SendValues(indexes);
}

void VirtualProcessor::OnWrite(std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> echo;
    for (std::size_t g = 0; g + 4 <= payload.size(); g += 4) {
        const std::uint16_t index = Word(payload[g], payload[g + 1]);
        if (index >= kParameterCount) {
            continue;
        }
        SetValue(index, Word(payload[g + 2], payload[g + 3]));
        AppendWord(echo, index);
        AppendWord(echo, Value(index));
    }
    Send(cmd::kWriteParameters, echo);
}

void VirtualProcessor::OnDump() {
    std::vector<std::uint8_t> reply;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        AppendWord(reply, static_cast<std::uint16_t>(i));
        AppendWord(reply, Value(i));
        if ((i + 1) % kDumpGroupsPerFrame == 0 || i + 1 == kParameterCount) {
            Send(cmd::kReadParameters, reply);
            reply.clear();
        }
    }
}

void VirtualProcessor::OnWifi(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return;  // the module ignores what it cannot read
    }
    const std::string keyword(text.substr(0, colon + 1));
    std::string argument(text.substr(colon + 1));
    if (const auto nul = argument.find('\0'); nul != std::string::npos) {
        argument.resize(nul);
    }
    const auto accept = [&](std::string& field) {
        field = argument;
        SaveStateFile();
        SendText(keyword + "OK");
    };

    if (const auto answer = WifiQueryAnswer(keyword)) {
        SendText(keyword + *answer);
    } else if (keyword == "Set_WiFiMode:") {
        if (argument == "1" || argument == "2") {
            wifi_.mode = static_cast<std::uint32_t>(argument[0] - '0');
            SaveStateFile();
            SendText(keyword + "OK");
        }
    } else if (keyword == "Set_RouteSSID:") {
        accept(wifi_.route_ssid);
    } else if (keyword == "Set_RoutePW:") {
        accept(wifi_.route_password);
    } else if (keyword == "Set_HotSSID:") {
        accept(wifi_.hot_ssid);
    } else if (keyword == "Set_HotPW:") {
        accept(wifi_.hot_password);
    } else if (keyword == "Set_Restore:") {
        SendWifiNotice(keyword);
        SaveStateFile();
    } else if (keyword == "Set_Restart:") {
        SendWifiNotice(keyword);
        // After a restart in router mode the module has joined the router and reports its address.
        if (wifi_.mode == 2 && !wifi_.route_ssid.empty()) {
            wifi_.link_address = 0xC0A80164;  // 192.168.1.100
            SendText("Get_LinkIP:" + Hex(wifi_.link_address, 8));
        } else {
            wifi_.link_address = 0;
        }
    }
}

bool VirtualProcessor::UseStateFile(const std::string& path) {
    state_path_ = path;
    std::ifstream in(path);
    if (!in) {
        return true;  // a new device: the file is written on the first save
    }
    std::string line;
    if (!std::getline(in, line) || line != kStateMagic) {
        return false;
    }
    Table saved{};
    auto scenes = scenes_;
    WifiModule wifi;
    bool have_settings = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "settings") {
            if (!ReadTable(fields, saved))
                return false;
            have_settings = true;
        } else if (key == "scene") {
            int n = 0;
            std::string name;
            if (!(fields >> std::dec >> n >> name) || n < 1 || n > kSceneSlots)
                return false;
            auto& scene = scenes[static_cast<std::size_t>(n - 1)];
            if (!DecodeText(name, scene.name) || !ReadTable(fields, scene.values))
                return false;
        } else if (key == "wifi") {
            std::string mode, route_ssid, route_pw, hot_ssid, hot_pw;
            if (!(fields >> std::hex >> wifi.address >> wifi.mode >> std::dec >> wifi.tcp_port >>
                  wifi.udp_port >> route_ssid >> route_pw >> hot_ssid >> hot_pw)) {
                return false;
            }
            if (!DecodeText(route_ssid, wifi.route_ssid) || !DecodeText(route_pw, wifi.route_password) ||
                !DecodeText(hot_ssid, wifi.hot_ssid) || !DecodeText(hot_pw, wifi.hot_password)) {
                return false;
            }
        } else if (!key.empty()) {
            return false;
        }
    }
    if (!have_settings) {
        return false;
    }
    saved[param::kIdentity] = kDeviceId;
    saved[param::kOccupancy] = kFree;
    saved_ = saved;
    working_ = saved;
    scenes_ = scenes;
    wifi_ = wifi;
    return true;
}

bool VirtualProcessor::SaveStateFile() const {
    if (state_path_.empty()) {
        return false;
    }
    // Written under a fresh name beside the file and renamed over it: an interrupted save leaves the old
    // file or the new one, and no fixed temporary name can be planted to redirect the write.
    std::ostringstream out;
    out << kStateMagic << '\n' << "settings";
    WriteTable(out, saved_);
    out << '\n';
    for (int s = 0; s < kSceneSlots; ++s) {
        const auto& scene = scenes_[static_cast<std::size_t>(s)];
        out << "scene " << (s + 1) << ' ' << EncodeText(scene.name);
        WriteTable(out, scene.values);
        out << '\n';
    }
    out << "wifi " << Hex(wifi_.address, 8) << ' ' << Hex(wifi_.mode, 1) << ' ' << wifi_.tcp_port << ' '
        << wifi_.udp_port << ' ' << EncodeText(wifi_.route_ssid) << ' ' << EncodeText(wifi_.route_password)
        << ' ' << EncodeText(wifi_.hot_ssid) << ' ' << EncodeText(wifi_.hot_password) << '\n';
    const std::string text = out.str();
    return ReplaceFileWhole(std::filesystem::path(state_path_),
                            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace vela::sim
