#include "devices/device_factory.h"

#include "devices/tcp_hid_device.h"
#include "platform/usb_hid.h"
#include "sim/sim_device.h"

namespace vela {

std::unique_ptr<IHidDevice> MakeHidDevice(const DeviceSpec& spec) {
    switch (spec.kind) {
        case DeviceSpec::Kind::kSim:
            return std::make_unique<sim::SimHidDevice>(std::make_shared<sim::SimulatedDevice>());
        case DeviceSpec::Kind::kTcp:
            return std::make_unique<TcpHidDevice>(spec.host, spec.port);
        case DeviceSpec::Kind::kUsb:
            break;
    }
    return MakeUsbHidDevice(spec.path);
}

}  // namespace vela
