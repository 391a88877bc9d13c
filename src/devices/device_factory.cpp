#include "devices/device_factory.h"

#include <cstdlib>

#include "devices/tcp_hid_device.h"
#include "platform/usb_hid.h"
#include "sim/sim_device.h"

namespace vela {

namespace {

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
        case DeviceSpec::Kind::kUsb:
            break;
    }
    return MakeUsbHidDevice(spec.path);
}

}  // namespace vela
