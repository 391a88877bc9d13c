// CZR305M2App: the application object. Chooses the language, keeps to one running instance and runs the
// main window until it closes.
#pragma once

#include <windows.h>

#include <string>

namespace vela {

class CZR305M2App {
  public:
    // The process's exit code.
    int Run(const std::wstring& command_line);
};

// The running instance's main window (found by its property), restored and raised; false when none.
bool RaiseRunningInstance();

}  // namespace vela
