// A fresh directory under the current directory (the test's build folder), removed with everything in
// it. Not under the system's temporary path: on Windows that path contains "Temp", which the settings
// store's mirror rule cuts at.
#pragma once

#include <atomic>
#include <filesystem>
#include <random>
#include <string>

namespace vela::testing {

class TempDir {
  public:
    TempDir() {
        static std::atomic<int> counter{0};
        std::random_device rd;
        std::string name = "t";
        name.append(std::to_string(rd())).append("-").append(std::to_string(counter++));
        path_ = std::filesystem::current_path() / "vela-test-tmp" / name;
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

}  // namespace vela::testing
