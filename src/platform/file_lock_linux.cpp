#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_lock.h"

namespace vela {

struct FileLock::Handle {
    int fd = -1;
    std::filesystem::path path;
};

FileLock::FileLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

FileLock::~FileLock() {
    if (handle_ && handle_->fd >= 0) {
        // Removed while still held: a program waiting for it then finds the name gone and makes a new one.
        ::unlink(handle_->path.c_str());
        ::close(handle_->fd);
    }
}

std::unique_ptr<FileLock> FileLock::Acquire(const std::filesystem::path& file, Outcome& outcome) {
    const std::filesystem::path path = LockPathFor(file);
    // A holder that just let go unlinked the name we opened: try the new name a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            outcome = Outcome::kNoPlace;
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            outcome = error == EWOULDBLOCK ? Outcome::kBusy : Outcome::kNoPlace;
            return nullptr;
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            outcome = Outcome::kLocked;
            return std::unique_ptr<FileLock>(new FileLock(std::make_unique<Handle>(Handle{fd, path})));
        }
        ::close(fd);
    }
    outcome = Outcome::kBusy;
    return nullptr;
}

}  // namespace vela
