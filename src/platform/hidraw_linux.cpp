#include "platform/hidraw_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace vela {

namespace {

// The uevent of a HID device carries "HID_ID=BUS:VENDOR:PRODUCT" with 4- and 8-digit hex fields and
// "HID_UNIQ=serial".
std::optional<UsbDeviceInfo> ReadUevent(const std::filesystem::path& uevent) {
    std::ifstream in(uevent);
    std::string line;
    UsbDeviceInfo info;
    bool ids = false;
    while (std::getline(in, line)) {
        unsigned bus = 0;
        unsigned vendor = 0;
        unsigned product = 0;
        if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &vendor, &product) == 3) {
            info.vendor_id = static_cast<std::uint16_t>(vendor);
            info.product_id = static_cast<std::uint16_t>(product);
            ids = true;
        } else if (line.rfind("HID_UNIQ=", 0) == 0) {
            info.serial = line.substr(9);
        }
    }
    return ids ? std::optional(info) : std::nullopt;
}

int PollFor(int fd, short events, int abort_fd, std::uint32_t timeout_ms, short& revents, bool& aborted) {
    pollfd p[2] = {{fd, events, 0}, {abort_fd, POLLIN, 0}};
    for (;;) {
        const int r = poll(p, 2, static_cast<int>(timeout_ms));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        revents = p[0].revents;
        aborted = (p[1].revents & POLLIN) != 0;
        return r;
    }
}

// The USB port path ("1-2.3") of a HID device: the interface directory ("1-2.3:1.0") on the way from the
// bus to the device in sysfs. Stays the same while the processor stays in the same socket.
std::string PortPath(const std::filesystem::path& device_link) {
    std::error_code ec;
    const auto target = std::filesystem::canonical(device_link, ec);
    if (ec) {
        return {};
    }
    std::string port;
    for (const auto& part : target) {
        const std::string name = part.string();
        const auto colon = name.find(':');
        const auto dash = name.find('-');
        const bool interface =
            colon != std::string::npos && dash != std::string::npos && dash > 0 && dash < colon &&
            std::all_of(name.begin(), name.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == ':';
            });
        if (interface) {
            port = name.substr(0, colon);
        }
    }
    return port;
}

}  // namespace

std::vector<UsbDeviceInfo> ListHidrawNodes(std::uint16_t vendor_id, std::uint16_t product_id,
                                           const std::string& sysfs_class, const std::string& dev_dir) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(sysfs_class, ec)) {
        names.push_back(entry.path().filename().string());
    }
    // hidraw2 before hidraw10: the order the devices appeared in.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::vector<UsbDeviceInfo> found;
    for (const auto& name : names) {
        auto info = ReadUevent(std::filesystem::path(sysfs_class) / name / "device" / "uevent");
        if (info && info->vendor_id == vendor_id && info->product_id == product_id) {
            info->path = (std::filesystem::path(dev_dir) / name).string();
            info->port = PortPath(std::filesystem::path(sysfs_class) / name / "device");
            found.push_back(std::move(*info));
        }
    }
    return found;
}

namespace {

std::optional<UsbDeviceInfo> FindHidrawDevice(std::uint16_t vendor_id, std::uint16_t product_id,
                                              const std::string& sysfs_class, const std::string& dev_dir,
                                              const std::string& wanted) {
    auto nodes = ListHidrawNodes(vendor_id, product_id, sysfs_class, dev_dir);
    if (!wanted.empty()) {
        const auto it = std::find_if(nodes.begin(), nodes.end(),
                                     [&](const UsbDeviceInfo& d) { return UsbDeviceMatches(d, wanted); });
        return it == nodes.end() ? std::nullopt : std::optional(std::move(*it));
    }
    return nodes.empty() ? std::nullopt : std::optional(std::move(nodes.front()));
}

}  // namespace

std::optional<std::string> FindHidrawNode(std::uint16_t vendor_id, std::uint16_t product_id,
                                          const std::string& sysfs_class, const std::string& dev_dir,
                                          const std::string& wanted) {
    auto found = FindHidrawDevice(vendor_id, product_id, sysfs_class, dev_dir, wanted);
    return found ? std::optional(std::move(found->path)) : std::nullopt;
}

std::vector<UsbDeviceInfo> EnumerateUsbDevices(std::uint16_t vendor_id, std::uint16_t product_id) {
    return ListHidrawNodes(vendor_id, product_id);
}

HidrawDevice::HidrawDevice(std::string sysfs_class, std::string dev_dir, std::string wanted)
    : sysfs_class_(std::move(sysfs_class)),
      dev_dir_(std::move(dev_dir)),
      wanted_(std::move(wanted)),
      abort_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

HidrawDevice::~HidrawDevice() {
    Close();
    if (abort_fd_ >= 0) {
        close(abort_fd_);
    }
}

bool HidrawDevice::Open(std::uint16_t vendor_id, std::uint16_t product_id) {
    Close();
    if (abort_fd_ < 0) {
        return false;
    }
    std::uint64_t drained = 0;
    while (read(abort_fd_, &drained, sizeof drained) > 0) {
    }
    const auto found = FindHidrawDevice(vendor_id, product_id, sysfs_class_, dev_dir_, wanted_);
    if (!found) {
        return false;
    }
    const int fd = open(found->path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;  // most often: no udev rule gives this user access
    }
    // The node's number changes with every plug; the port stays with the socket the processor is in.
    location_.Set(found->port.empty() ? found->path : found->port);
    fd_.store(fd);
    return true;
}

HidResult HidrawDevice::ReadReport(std::span<std::uint8_t, kReportSize> report, std::size_t& received,
                                   std::uint32_t timeout_ms) {
    received = 0;
    const int fd = fd_.load();
    if (fd < 0) {
        return HidResult::kDisconnected;
    }
    short revents = 0;
    bool aborted = false;
    const int r = PollFor(fd, POLLIN, abort_fd_, timeout_ms, revents, aborted);
    if (aborted) {
        return HidResult::kAborted;
    }
    if (r < 0) {
        return HidResult::kIoError;
    }
    if (r == 0) {
        return HidResult::kTimeout;
    }
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return HidResult::kDisconnected;  // the device was unplugged
    }
    // Reports without numbered ids arrive as their data bytes alone.
    const ssize_t n = read(fd, report.data(), report.size());
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            return HidResult::kTimeout;
        }
        return errno == ENODEV || errno == EIO ? HidResult::kDisconnected : HidResult::kIoError;
    }
    received = static_cast<std::size_t>(n);
    return HidResult::kOk;
}

HidResult HidrawDevice::WriteReport(std::span<const std::uint8_t, kReportSize> report,
                                    std::uint32_t timeout_ms) {
    const int fd = fd_.load();
    if (fd < 0) {
        return HidResult::kDisconnected;
    }
    short revents = 0;
    bool aborted = false;
    const int r = PollFor(fd, POLLOUT, abort_fd_, timeout_ms, revents, aborted);
    if (aborted) {
        return HidResult::kAborted;
    }
    if (r == 0) {
        return HidResult::kTimeout;
    }
    if (r < 0 || (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return HidResult::kDisconnected;
    }
    // hidraw takes the report id first; 0 for a device without numbered reports.
    std::array<std::uint8_t, kReportSize + 1> out{};
    std::copy(report.begin(), report.end(), out.begin() + 1);
    const ssize_t n = write(fd, out.data(), out.size());
    if (n == static_cast<ssize_t>(out.size())) {
        return HidResult::kOk;
    }
    if (n < 0 && (errno == ENODEV || errno == EIO)) {
        return HidResult::kDisconnected;
    }
    return HidResult::kIoError;
}

void HidrawDevice::Abort() {
    if (abort_fd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(abort_fd_, &one, sizeof one);
    }
}

void HidrawDevice::Close() {
    const int fd = fd_.exchange(-1);
    if (fd >= 0) {
        close(fd);
    }
}

std::unique_ptr<IHidDevice> MakeUsbHidDevice(const std::string& path) {
    return std::make_unique<HidrawDevice>("/sys/class/hidraw", "/dev", path);
}

}  // namespace vela
