// The audio processor as the link sees it, with an inner life of its own: a working table of 947
// values, eight named scenes, saved settings and a Wi-Fi module. Fed with frame bytes, it answers
// with frames through its output callback. Not thread-safe: its owner serialises every call.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol/frames.h"
#include "core/protocol/protocol.h"

namespace vela::sim {

using Table = std::array<std::uint16_t, kParameterCount>;

// What the Wi-Fi module holds. Mode 1 is the hotspot, 2 joins the router.
struct WifiModule {
    std::uint32_t address = 0xC0A80401;  // 192.168.4.1
    std::uint32_t link_address = 0;      // given by the router once joined
    std::uint32_t mode = 1;
    std::uint32_t tcp_port = 8080;
    std::uint32_t udp_port = 8081;
    std::string route_ssid;
    std::string route_password;
    std::string hot_ssid = "VELA-DSP";
    std::string hot_password = "12345678";
};

class VirtualProcessor {
  public:
    static constexpr std::uint16_t kFree = 0;
    static constexpr std::uint16_t kOccupied = 2;  // what 935 reads while another controller holds it
    static constexpr std::size_t kDumpGroupsPerFrame = 25;
    static constexpr std::size_t kMaxGroupsPerReply = 60;  // keeps a reply below the long-payload form

    using FrameOut = std::function<void(std::vector<std::uint8_t> frame)>;

    explicit VirtualProcessor(FrameOut out);

    // Frame bytes from the host, parsed with the link's own receiver rules.
    void ReceiveBytes(std::span<const std::uint8_t> bytes);
    // Sent when the host connects: it marks parameter 0 as received on the host.
    void Announce();
    // Texts the module sends on its own: "Set_Restore:" or "Set_Restart:" (as after a button press).
    void SendWifiNotice(std::string_view keyword);

    std::uint16_t Value(std::size_t index) const;
    void SetValue(std::size_t index, std::uint16_t value);
    const Table& Working() const { return working_; }
    std::string SceneName(int scene) const;  // scene 1..8
    const Table& SceneValues(int scene) const;
    WifiModule& Wifi() { return wifi_; }

    void SetOccupied(bool occupied) { occupied_ = occupied; }
    bool Occupied() const { return occupied_; }
    // Fault injection: the id reported by identify and by parameter 0, and a dump that is ignored.
    void SetReportedId(std::uint16_t id) { reported_id_ = id; }
    void SetIgnoreDump(bool ignore) { ignore_dump_ = ignore; }
    // A module that hears nothing, and a device that ignores save scene and save settings.
    void SetMuteWifi(bool mute) { mute_wifi_ = mute; }
    void SetIgnoreSaves(bool ignore) { ignore_saves_ = ignore; }

    // With a path, save settings and save scene persist the device there; an existing file is loaded.
    // False when the file exists but cannot be read as a state file (the device keeps its defaults).
    bool UseStateFile(const std::string& path);
    bool SaveStateFile() const;

    std::uint64_t FramesReceived(std::uint8_t command) const;
    std::uint64_t FramesReceived() const { return frames_total_; }

  private:
    struct Scene {
        std::string name;
        Table values{};
    };

    void OnFrame(std::uint8_t command, std::span<const std::uint8_t> payload);
    void Send(std::uint8_t command, std::span<const std::uint8_t> payload);
    void SendText(std::string_view text);
    void OnRead(std::span<const std::uint8_t> payload);
    void OnWrite(std::span<const std::uint8_t> payload);
    void OnDump();
    void OnWifi(std::string_view text);
    void OnCallScene(std::span<const std::uint8_t> payload);
    void OnSaveScene(std::span<const std::uint8_t> payload);
    // The answer to a Wi-Fi query (Get_...:), or nothing for any other keyword.
    std::optional<std::string> WifiQueryAnswer(const std::string& keyword) const;
    void SendValues(const std::vector<std::uint16_t>& indexes);

    FrameOut out_;
    FrameReceiver receiver_;
    Table working_{};
    Table saved_{};  // the settings as of the last save settings
    std::array<Scene, kSceneSlots> scenes_;
    WifiModule wifi_;
    bool occupied_ = false;
    std::uint16_t reported_id_ = kDeviceId;
    bool ignore_dump_ = false;
    bool mute_wifi_ = false;
    bool ignore_saves_ = false;
    std::string state_path_;
    std::map<std::uint8_t, std::uint64_t> frames_by_command_;
    std::uint64_t frames_total_ = 0;
};

}  // namespace vela::sim
