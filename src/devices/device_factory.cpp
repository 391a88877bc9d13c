#include "devices/device_factory.h"

#include <cstdlib>

#include "devices/scene_file_device.h"
#include "devices/tcp_hid_device.h"
#include "platform/usb_hid.h"
#include "sim/sim_device.h"

namespace vela {

namespace {

// Stands for a scene file that could not be loaded: the link keeps searching and finds nothing.
class AbsentDevice final : public IHidDevice {
  public:
    bool Open(std::uint16_t, std::uint16_t) override { return false; }
    HidResult ReadReport(ReportBuffer, std::size_t&, std::uint32_t) override {
        return HidResult::kDisconnected;
    }
    HidResult WriteReport(ReportBytes, std::uint32_t) override { return HidResult::kDisconnected; }
    void Abort() override {}
    void Close() override {}
};

std::filesystem::path FilePath(const DeviceSpec& spec) {
    return std::filesystem::u8path(spec.path);
}

std::string TokenFileOf(const DeviceSpec& spec) {
    if (!spec.token_file.empty()) {
        return spec.token_file;
    }
    const char* from_environment = std::getenv("VELA_TOKEN_FILE");
    return from_environment != nullptr ? from_environment : "";
}

}  // namespace

std::unique_ptr<IHidDevice> MakeHidDevice(const DeviceSpec& spec) {
    switch (spec.kind) {
        case DeviceSpec::Kind::kSim:
            return std::make_unique<sim::SimHidDevice>(std::make_shared<sim::SimulatedDevice>());
        case DeviceSpec::Kind::kTcp: {
            const std::string path = TokenFileOf(spec);
            std::string error;
            auth::Token token = path.empty() ? auth::Token{} : auth::ReadTokenFile(path, error);
            return std::make_unique<TcpHidDevice>(spec.host, spec.port, std::move(token), std::move(error));
        }
        case DeviceSpec::Kind::kFile: {
            std::string problem;
            if (auto device = SceneFileDevice::Load(FilePath(spec), problem))
                return device;
            return std::make_unique<AbsentDevice>();
        }
        case DeviceSpec::Kind::kUsb:
            break;
    }
    return MakeUsbHidDevice(spec.path);
}

std::optional<std::string> DeviceProblem(const DeviceSpec& spec) {
    if (spec.kind == DeviceSpec::Kind::kFile)
        return SceneFileDevice::Check(FilePath(spec));
    return std::nullopt;
}

}  // namespace vela
