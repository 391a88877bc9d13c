// One program at a time on a scene file opened as a processor: a lock file beside it, held while the file
// is open (an advisory lock on Linux, a handle without sharing on Windows), so that two programs never
// both write the same file.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace vela {

class FileLock {
  public:
    enum class Outcome {
        kLocked,   // this program holds the file
        kBusy,     // another program holds it
        kNoPlace,  // no lock file can be made beside it (a read-only folder): nobody can write the file
    };

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Tries once, without waiting.
    static std::unique_ptr<FileLock> Acquire(const std::filesystem::path& file, Outcome& outcome);
    static std::filesystem::path LockPathFor(const std::filesystem::path& file);

  private:
    struct Handle;
    explicit FileLock(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> handle_;
};

}  // namespace vela
