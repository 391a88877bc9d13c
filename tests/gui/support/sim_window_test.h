// The main window on the in-process virtual processor, loaded and settled, in English: the fixture of the
// window tests that drive its pages with real messages.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "sim/sim_device.h"

namespace vela::testing {

class SimWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        using namespace std::chrono_literals;
        saved_language_ = LanguageIndex();
        SetLanguageIndex(kLanguageEnglish);
        // The pointer rests away from the window: no hover changes what a test sees.
        SetCursorPos(1200, 780);
        SetMessageBoxResponder([this](const MessageBoxRequest& box) {
            boxes_.push_back(box.text);
            return Answer(box);
        });
        VelaOptions options;
        options.device.kind = DeviceSpec::Kind::kSim;
        dlg_ = std::make_unique<CZR305M2Dlg>(options);
        ASSERT_TRUE(dlg_->CreateModeless(nullptr));
        ShowWindow(dlg_->Hwnd(), SW_SHOW);
        ASSERT_TRUE(PumpUntil([&] { return dlg_->DisplayLoaded() && Settled(); }, 30s));
    }
    void TearDown() override {
        dlg_.reset();
        SetMessageBoxResponder(nullptr);
        SetLanguageIndex(saved_language_);
    }
    // What a message box answers: yes to a question, OK to anything else.
    virtual int Answer(const MessageBoxRequest& box) {
        return (box.type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    }

    sim::SimulatedDevice& Sim() { return static_cast<sim::SimHidDevice&>(dlg_->Device()).Device(); }
    bool Settled() {
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            // The heartbeat's 935 is never read back, and the scene-name reads leave the last scene asked
            // for in 934 where the device holds 0.
            if (i != param::kOccupancy && i != param::kSceneSelector &&
                dlg_->Link().Table().Value(i) != Sim().Value(i))
                return false;
        }
        return true;
    }
    void Click(CWindow& control) {
        const RECT r = control.ClientRect();
        const LPARAM centre = Point(r.right / 2, r.bottom / 2);
        SendMessageW(control.Hwnd(), WM_MOUSEMOVE, 0, centre);
        SendMessageW(control.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
        SendMessageW(control.Hwnd(), WM_LBUTTONUP, 0, centre);
        Pump();
    }

    std::unique_ptr<CZR305M2Dlg> dlg_;
    std::vector<std::wstring> boxes_;  // the text of every message box shown

  private:
    int saved_language_ = kLanguageEnglish;
};

}  // namespace vela::testing
