#include "devices/link_stack.h"

#include "devices/device_factory.h"
#include "devices/scene_file_device.h"
#include "devices/tcp_hid_device.h"

namespace vela {

LinkStack::LinkStack(const DeviceSpec& spec, IClock& clock)
    : device_name_(ToString(spec)), link_(clock), device_(MakeHidDevice(spec)), transport_(link_, *device_) {
    wifi_.Attach(link_);
}

LinkStack::~LinkStack() {
    Stop();
}

bool LinkStack::Start(ILinkHost& host, FileLocations files, LinkMode mode) {
    if (!controller_) {
        connector_ = std::make_unique<HidConnector>(transport_, host);
        controller_ = std::make_unique<LinkController>(link_, *connector_, host, std::move(files));
        controller_->SetWifiStep(&wifi_step_);
        controller_->SetMode(mode);
        controller_->SetEvents(events_, device_name_);
    }
    return controller_->StartLink();
}

namespace {

LinkStack::FileState StateOf(const SceneFileDevice& file, const SceneFileDevice::Status& status) {
    const std::u8string name = file.Path().filename().u8string();
    return {std::string(name.begin(), name.end()), status.pending, status.read_only, status.problem};
}

}  // namespace

std::optional<LinkStack::FileState> LinkStack::File() const {
    if (const auto* file = dynamic_cast<const SceneFileDevice*>(device_.get()))
        return StateOf(*file, file->CurrentStatus());
    return std::nullopt;
}

std::string LinkStack::Identity() const {
    const std::string where = device_->Location();
    return where.empty() ? device_name_ : device_name_ + "@" + where;
}

std::string LinkStack::Refusal() const {
    if (const auto* served = dynamic_cast<const TcpHidDevice*>(device_.get()))
        return served->Refusal();
    return {};
}

std::optional<LinkStack::FileState> LinkStack::FlushFile() {
    if (auto* file = dynamic_cast<SceneFileDevice*>(device_.get()))
        return StateOf(*file, file->Flush());
    return std::nullopt;
}

void LinkStack::Stop() {
    if (controller_) {
        controller_->StopLink();
    } else {
        transport_.Close();
    }
}

}  // namespace vela
