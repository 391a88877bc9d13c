#include <windows.h>

#include "platform/file_lock.h"

namespace vela {

struct FileLock::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
};

FileLock::FileLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

FileLock::~FileLock() {
    if (handle_ && handle_->file != INVALID_HANDLE_VALUE)
        CloseHandle(handle_->file);  // deleted on close
}

std::unique_ptr<FileLock> FileLock::Acquire(const std::filesystem::path& file, Outcome& outcome) {
    // No sharing at all: a second program's open fails with a sharing violation until this one closes.
    const HANDLE handle =
        CreateFileW(LockPathFor(file).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Access is also denied for a lock file that is being deleted as its holder closes; a read-only
        // folder denies it with no lock file there.
        const bool held = error == ERROR_SHARING_VIOLATION ||
                          (error == ERROR_ACCESS_DENIED &&
                           GetFileAttributesW(LockPathFor(file).c_str()) != INVALID_FILE_ATTRIBUTES);
        outcome = held ? Outcome::kBusy : Outcome::kNoPlace;
        return nullptr;
    }
    outcome = Outcome::kLocked;
    return std::unique_ptr<FileLock>(new FileLock(std::make_unique<Handle>(Handle{handle})));
}

}  // namespace vela
