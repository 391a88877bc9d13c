#include "platform/file_lock.h"

namespace vela {

std::filesystem::path FileLock::LockPathFor(const std::filesystem::path& file) {
    std::filesystem::path lock = file;
    lock += ".lock";
    return lock;
}

}  // namespace vela
