// One device link: the parameter table, the shared link state, the receive buffer and the scene names,
// with the operations that send frames and handle the device's replies. The program holds one.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "core/link/link_state.h"
#include "core/link/parameter_table.h"
#include "core/link/scene_names.h"
#include "core/link/seams.h"
#include "core/protocol/frames.h"

namespace vela {

class DeviceLink {
  public:
    // Handles the text of a Wi-Fi module reply (payload without its last two bytes). Reader thread.
    using WifiReplyHandler = std::function<void(std::string_view text)>;

    DeviceLink(IClock& clock, ITextCodePage& code_page = SystemCodePage());
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Set before the link's threads start.
    void SetSender(IFrameSender* sender) { sender_ = sender; }
    void SetWifiReplyHandler(WifiReplyHandler handler) { on_wifi_reply_ = std::move(handler); }

    ParameterTable& Table() { return table_; }
    const ParameterTable& Table() const { return table_; }
    LinkState& State() { return state_; }
    SceneNameTable& SceneNames() { return scene_names_; }
    IClock& Clock() { return clock_; }
    ITextCodePage& CodePage() { return code_page_; }
    const FrameReceiver& Receiver() const { return receiver_; }

    // --- Sending (link worker thread) ---

    // Frames and sends; the result is stored in the link-up flag. False when not sent.
    bool SendFrame(std::uint8_t command, std::span<const std::uint8_t> payload);
    // Starts a fresh connection: clears a tripped supervision (or a requested reconnect) and the
    // missed-reply count.
    void ResetSupervision();
    // Drops the link so that the worker reconnects and reloads. Nothing is sent until then: a frame sent
    // meanwhile (a load in progress) would otherwise set the link-up flag again and swallow the request.
    void RequestReconnect();
    void BuildWriteBatch(std::uint16_t start, int max_count);
    void BuildReadBatch(std::uint16_t start, int max_count);
    void ReadOne(std::uint16_t index);
    // True when a reply released the semaphore (or at once when the reader is not running). A timeout
    // counts as a missed reply for the supervision.
    bool WaitReply(std::uint32_t ms);
    // As WaitReply, for requests a working device may leave unanswered (Wi-Fi module commands, scene and
    // settings requests): their silence says nothing about the link and is not counted.
    bool WaitOptionalReply(std::uint32_t ms);
    bool Identify();

    // --- UI side ---

    // Stores the value and, while the send switch is on, marks it for sending.
    void WriteParameter(std::size_t index, std::uint32_t value);
    void SetSendSwitch(bool on) { send_switch_.store(on); }

    // --- Receiving (transport reader thread) ---

    void ReceiveBytes(const std::uint8_t* chunk, std::size_t length) {
        receiver_.ReceiveBytes(chunk, length);
    }

  private:
    void OnFrame(std::uint8_t command, std::span<const std::uint8_t> payload);
    void OnIdentify(std::span<const std::uint8_t> payload);
    void OnSceneName(std::span<const std::uint8_t> payload);
    void Wake();
    // Drops the link when the device has missed replies for longer than the link timeout.
    bool SupervisionTrips(std::uint8_t command);

    IClock& clock_;
    ITextCodePage& code_page_;
    IFrameSender* sender_ = nullptr;
    WifiReplyHandler on_wifi_reply_;
    std::atomic<bool> send_switch_{true};
    // Once tripped, nothing is sent until the controller reconnects: a successful send would otherwise
    // set the link-up flag again and hide the loss.
    std::atomic<bool> supervision_tripped_{false};

    ParameterTable table_;
    LinkState state_;
    SceneNameTable scene_names_;
    FrameReceiver receiver_;
};

}  // namespace vela
