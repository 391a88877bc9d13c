#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "gui/app/gui_link_host_win32.h"
#include "gui/controls/progress_dialog_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"

namespace vela {
namespace {

using testing::HostWindow;
using testing::Pump;
using testing::PumpUntil;

class ProgressTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(progress.Create(host.Hwnd())); }
    HostWindow host{800, 500, L"VELA3.1"};
    CJinDuTiao progress;
};

TEST_F(ProgressTest, StartsTranslucentTopmostAndCentredOnItsOwner) {
    EXPECT_TRUE(GetWindowLongPtrW(progress.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongPtrW(progress.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(progress.Hwnd(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 220);
    RECT owner{};
    RECT mine{};
    GetWindowRect(host.Hwnd(), &owner);
    GetWindowRect(progress.Hwnd(), &mine);
    EXPECT_EQ(mine.right - mine.left, CJinDuTiao::kWidth);
    EXPECT_EQ(mine.bottom - mine.top, CJinDuTiao::kHeight);
    EXPECT_EQ(mine.left, (owner.left + owner.right - CJinDuTiao::kWidth) / 2);
    EXPECT_EQ(mine.top, (owner.top + owner.bottom - CJinDuTiao::kHeight) / 2);
    EXPECT_EQ(progress.idle, 1);
    // Rounded corners: the window's region leaves out the corner pixel but keeps the middle.
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(progress.Hwnd(), region.Get()), ERROR);
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.Get(), CJinDuTiao::kWidth / 2, CJinDuTiao::kHeight / 2));
    const HWND first = progress.Hwnd();
    EXPECT_TRUE(progress.Create(host.Hwnd()));  // a second start keeps the window
    EXPECT_EQ(progress.Hwnd(), first);
}

TEST_F(ProgressTest, BarAndTextFollowTheValue) {
    progress.total = 947;
    progress.progress_text = L"Read Device Data:%5.0f %%";
    progress.SetProgress(0);
    EXPECT_EQ(progress.FillRight(), 27);
    EXPECT_EQ(progress.ShownText(), L"Read Device Data:    0 %");
    progress.SetProgress(947);
    EXPECT_EQ(progress.FillRight(), 516);
    EXPECT_EQ(progress.ShownText(), L"Read Device Data:  100 %");
    progress.SetProgress(473);
    // Left of the fill edge the picture shows the filled bar (bright, blue), right of it the empty bed.
    const auto picture =
        testing::ReadPixels(progress.PictureDc(), 0, 0, CJinDuTiao::kWidth, CJinDuTiao::kHeight);
    const std::uint32_t filled = picture.At(100, 63);
    const std::uint32_t empty = picture.At(400, 63);
    EXPECT_GT(filled & 0xFF, 120u);
    EXPECT_LT(empty & 0xFF, 60u);
}

TEST_F(ProgressTest, ZeroTotalAndPlainTextsAreSafe) {
    progress.total = 0;
    progress.progress_text = L"欢迎使用!";
    progress.SetProgress(50);
    EXPECT_EQ(progress.FillRight(), 27);
    EXPECT_EQ(progress.ShownText(), L"欢迎使用!");
    progress.total = 100;
    progress.SetTexts(L"%s%n%d %f", 30, L"Scene");
    EXPECT_EQ(progress.ShownText(), L"%s%n30 %f");
    progress.SetProgress(1000);
    EXPECT_EQ(progress.FillRight(), 516);
}

TEST_F(ProgressTest, PressAnywhereStartsACaptionDragAndCloseOnlyHides) {
    ShowWindow(progress.Hwnd(), SW_SHOWNORMAL);
    SendMessageW(progress.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 120));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, progress.Hwnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(HTCAPTION));
    SendMessageW(progress.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(progress.Hwnd()));
    EXPECT_FALSE(IsWindowVisible(progress.Hwnd()));
    EXPECT_EQ(progress.FillRight(), 27);
    EXPECT_EQ(progress.ShownText(), L"");
}

class LinkHostTest : public ::testing::Test {
  protected:
    void TearDown() override { SetMessageBoxResponder(nullptr); }
    HostWindow host{800, 500, L"VELA3.1"};
    CJinDuTiao progress;
};

TEST_F(LinkHostTest, LocalizedBoxesPassTheLanguageAndTheOwnersTitle) {
    std::vector<MessageBoxRequest> seen;
    SetMessageBoxResponder([&](const MessageBoxRequest& r) {
        seen.push_back(r);
        return IDNO;
    });
    EXPECT_EQ(LocalizedMessageBox(host.Hwnd(), L"Whether to exit the program!", L"Tip!", MB_YESNO, 1), IDNO);
    EXPECT_EQ(LocalizedMessageBoxTitled(host.Hwnd(), L"No Device!", L"", MB_OK, 0), IDNO);
    LocalizedMessageBox(host.Hwnd(), L"x", L"y", MB_OK, 7);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].language, 1028);
    EXPECT_EQ(seen[0].caption, L"Tip!");
    EXPECT_EQ(seen[0].type, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(seen[1].language, 2052);
    EXPECT_EQ(seen[1].caption, L"VELA3.1");
    EXPECT_EQ(seen[1].owner, host.Hwnd());
    EXPECT_EQ(seen[2].language, 1033);
}

// A real system box, answered by a hook as soon as it is activated; its buttons are in the language asked.
std::wstring g_ok_caption;
HHOOK g_hook = nullptr;
LRESULT CALLBACK AnswerBox(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wparam);
        wchar_t cls[32]{};
        GetClassNameW(box, cls, 32);
        if (std::wstring(cls) == L"#32770") {
            wchar_t text[64]{};
            GetDlgItemTextW(box, IDOK, text, 64);
            g_ok_caption = text;
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

TEST_F(LinkHostTest, SystemBoxUsesTheLanguagesButtonCaptions) {
    g_hook = SetWindowsHookExW(WH_CBT, AnswerBox, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    EXPECT_EQ(LocalizedMessageBox(host.Hwnd(), L"Save successfully!", L"Tip!", MB_OKCANCEL, 2), IDCANCEL);
    const std::wstring english = g_ok_caption;
    EXPECT_EQ(LocalizedMessageBox(host.Hwnd(), L"保存成功!", L"提示!", MB_OKCANCEL, 0), IDCANCEL);
    const std::wstring chinese = g_ok_caption;
    UnhookWindowsHookEx(g_hook);
    EXPECT_EQ(english, L"OK");
    EXPECT_EQ(chinese, L"确定");
}

TEST_F(LinkHostTest, WorkerBlocksWhileTheBoxIsOpenAndGetsTheAnswer) {
    CGuiLinkHost link_host(host.Hwnd(), progress, 2);
    DWORD answered_on = 0;
    SetMessageBoxResponder([&](const MessageBoxRequest& r) {
        answered_on = GetCurrentThreadId();
        EXPECT_EQ(r.language, 1033);
        EXPECT_EQ(r.caption, L"VELA3.1");  // empty caption: the main window's title
        EXPECT_EQ(r.text, L"Write Data Failed!");
        return IDYES;
    });
    std::atomic<bool> done{false};
    MessageAnswer answer = MessageAnswer::kNo;
    std::thread worker([&] {
        answer = link_host.ShowMessage(L"Write Data Failed!", L"", MessageButtons::kYesNo);
        done = true;
    });
    Sleep(50);
    EXPECT_FALSE(done.load());  // nothing answers until the UI thread runs
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(answer, MessageAnswer::kYes);
    EXPECT_EQ(answered_on, GetCurrentThreadId());
}

TEST_F(LinkHostTest, CancelEndsAWaitingWorkerWithTheSafeAnswer) {
    CGuiLinkHost link_host(host.Hwnd(), progress, 0);
    SetMessageBoxResponder([](const MessageBoxRequest&) { return IDOK; });
    std::atomic<bool> done{false};
    MessageAnswer answer = MessageAnswer::kYes;
    std::thread worker([&] {
        answer = link_host.ShowMessage(L"Equipment occupied!", L"", MessageButtons::kYesNo);
        done = true;
    });
    Sleep(30);
    link_host.CancelWaits();
    for (int i = 0; i < 100 && !done.load(); ++i)
        Sleep(10);  // no pumping: the box is never shown
    EXPECT_TRUE(done.load());
    worker.join();
    EXPECT_EQ(answer, MessageAnswer::kNo);
    // Once cancelled, a worker's box is answered at once without being shown.
    MessageAnswer later = MessageAnswer::kOk;
    std::thread again([&] { later = link_host.ShowMessage(L"later", L"", MessageButtons::kOkCancel); });
    again.join();
    EXPECT_EQ(later, MessageAnswer::kCancel);
}

TEST_F(LinkHostTest, ProgressTitleAndNotificationsFromTheWorker) {
    CGuiLinkHost link_host(host.Hwnd(), progress, 2);
    ASSERT_TRUE(progress.IsWindow());
    std::thread worker([&] {
        link_host.ProgressSetRange(200);
        link_host.ProgressSetFormat(L"Update Display Data:%5.0f %%");
        link_host.ProgressShow(true);
        link_host.ProgressSetPos(50);
        link_host.SetTitle(L"VELA3.1 - M2");
        link_host.PostNotify(LinkNotify::kParameter, 12);
    });
    worker.join();
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(progress.Hwnd()) && progress.FillRight() > 27; }));
    EXPECT_EQ(progress.total, 200);
    EXPECT_EQ(progress.idle, 0);
    EXPECT_EQ(progress.ShownText(), L"Update Display Data:   25 %");
    EXPECT_EQ(progress.FillRight(), 27 + 50 * 489 / 200);
    wchar_t title[64]{};
    GetWindowTextW(host.Hwnd(), title, 64);
    EXPECT_STREQ(title, L"VELA3.1 - M2");
    const auto notes = host.TakenFor(UM_LINK_NOTIFY);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].lparam, 12);
    std::thread hide([&] { link_host.ProgressShow(false); });
    hide.join();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(progress.Hwnd()); }));
    EXPECT_EQ(progress.idle, 1);
}

TEST_F(LinkHostTest, APollCycleOfChangedValuesQueuesOneMessageAndDeliversEveryIndexOnce) {
    CGuiLinkHost link_host(host.Hwnd(), progress, 2);
    constexpr int kChanged = 946;
    std::thread worker([&] {
        for (int round = 0; round < 2; ++round)  // a value that changes twice is refreshed once
            for (int i = 1; i <= kChanged; ++i)
                link_host.PostNotify(LinkNotify::kParameter, i);
        link_host.PostNotify(LinkNotify::kTableChanged, 0);
    });
    worker.join();
    int queued = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == UM_LINK_NOTIFY || (msg.message >= WM_APP && msg.message <= 0xBFFF))
            ++queued;
        DispatchMessageW(&msg);
    }
    EXPECT_LE(queued, 2);
    const auto notes = host.TakenFor(UM_LINK_NOTIFY);
    ASSERT_EQ(notes.size(), static_cast<std::size_t>(kChanged + 1));
    for (int i = 1; i <= kChanged; ++i) {
        EXPECT_EQ(notes[i - 1].wparam, static_cast<WPARAM>(LinkNotify::kParameter));
        EXPECT_EQ(notes[i - 1].lparam, i);
    }
    // The table-changed notice still comes after the values it follows.
    EXPECT_EQ(notes.back().wparam, static_cast<WPARAM>(LinkNotify::kTableChanged));
}

TEST_F(LinkHostTest, ManyProgressReportsCoalesceIntoTheLatest) {
    CGuiLinkHost link_host(host.Hwnd(), progress, 2);
    std::thread worker([&] {
        link_host.ProgressSetRange(20000);
        link_host.ProgressSetFormat(L"%3.0f%%");
        for (int i = 1; i <= 20000; ++i)
            link_host.ProgressSetPos(i);  // more than a message queue holds
    });
    worker.join();
    EXPECT_TRUE(PumpUntil([&] { return progress.FillRight() == 516; }));
    EXPECT_EQ(progress.ShownText(), L"100%");
}

}  // namespace
}  // namespace vela
