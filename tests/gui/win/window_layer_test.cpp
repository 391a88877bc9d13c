#include <gtest/gtest.h>

#include "gui/controls/value_control_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/window_win32.h"
#include "res/resource.h"

namespace vela {
namespace {

constexpr UINT kCustom = WM_USER + 77;
constexpr int kButtonA = 101;
constexpr int kButtonB = 102;

// A window whose map has rows filtered by control id and a custom message.
class MappedWindow : public CWindow {
  public:
    int a_clicks = 0;
    int b_clicks = 0;
    LPARAM custom = 0;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnA(WPARAM, LPARAM) { return ++a_clicks; }
    LRESULT OnB(WPARAM, LPARAM) { return ++b_clicks; }
    LRESULT OnCustom(WPARAM, LPARAM lparam) {
        custom = lparam;
        return 5;
    }
    static const MessageRow<MappedWindow> kMap[];
};

const MessageRow<MappedWindow> MappedWindow::kMap[] = {
    {WM_COMMAND, kButtonA, &MappedWindow::OnA},
    {WM_COMMAND, kButtonB, &MappedWindow::OnB},
    {kCustom, 0, &MappedWindow::OnCustom},
};

LRESULT MappedWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto r = RouteMessage(this, kMap, message, wparam, lparam))
        return *r;
    return CWindow::WindowProc(message, wparam, lparam);
}

// A subclassed child that records what its parent reflects to it.
class ReflectingChild : public CWindow {
  public:
    UINT reflected_code = 0;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == kReflectedCommand) {
            reflected_code = HIWORD(wparam);
            return 1;
        }
        return CWindow::WindowProc(message, wparam, lparam);
    }
};

TEST(WindowLayerTest, MessageMapRowsMatchMessageAndControlId) {
    MappedWindow w;
    ASSERT_TRUE(w.CreateOwn(L"mapped", WS_POPUP, 0, RECT{0, 0, 100, 100}, nullptr));
    EXPECT_EQ(CWindow::FromHandle(w.Hwnd()), &w);
    SendMessageW(w.Hwnd(), WM_COMMAND, MAKEWPARAM(kButtonA, BN_CLICKED), 0);
    SendMessageW(w.Hwnd(), WM_COMMAND, MAKEWPARAM(kButtonA, BN_CLICKED), 0);
    SendMessageW(w.Hwnd(), WM_COMMAND, MAKEWPARAM(kButtonB, BN_CLICKED), 0);
    SendMessageW(w.Hwnd(), WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), 0);
    EXPECT_EQ(w.a_clicks, 2);
    EXPECT_EQ(w.b_clicks, 1);
    EXPECT_EQ(SendMessageW(w.Hwnd(), kCustom, 0, 1234), 5);
    EXPECT_EQ(w.custom, 1234);
}

TEST(WindowLayerTest, NotificationsAreReflectedToTheSubclassedChild) {
    MappedWindow parent;
    ASSERT_TRUE(parent.CreateOwn(L"parent", WS_POPUP, 0, RECT{0, 0, 100, 100}, nullptr));
    ReflectingChild child;
    ASSERT_TRUE(child.CreateControl(L"BUTTON", L"a", WS_CHILD, RECT{0, 0, 20, 20}, parent.Hwnd(), kButtonA));
    SendMessageW(parent.Hwnd(), WM_COMMAND, MAKEWPARAM(kButtonA, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(child.Hwnd()));
    EXPECT_EQ(child.reflected_code, static_cast<UINT>(BN_DOUBLECLICKED));
    EXPECT_EQ(parent.a_clicks, 1);  // the parent still sees its command
}

TEST(WindowLayerTest, ObjectsAndWindowsEndTogether) {
    MappedWindow parent;
    ASSERT_TRUE(parent.CreateOwn(L"parent", WS_POPUP, 0, RECT{0, 0, 100, 100}, nullptr));
    HWND child_hwnd = nullptr;
    {
        ReflectingChild child;
        ASSERT_TRUE(child.CreateControl(L"STATIC", L"", WS_CHILD, RECT{0, 0, 20, 20}, parent.Hwnd(), 5));
        child_hwnd = child.Hwnd();
        EXPECT_FALSE(child.Subclass(child_hwnd));  // a window has one object
    }
    EXPECT_FALSE(IsWindow(child_hwnd));  // the object destroyed its window
    ReflectingChild orphan;
    ASSERT_TRUE(orphan.CreateControl(L"STATIC", L"", WS_CHILD, RECT{0, 0, 20, 20}, parent.Hwnd(), 6));
    parent.Destroy();                   // destroying the parent takes the child window with it
    EXPECT_EQ(orphan.Hwnd(), nullptr);  // and the object knows
    EXPECT_EQ(parent.Hwnd(), nullptr);
}

class EndingDialog : public CDialogWindow {
  public:
    EndingDialog() : CDialogWindow(IDD_PROGRESS) {}
    bool initialised = false;

  protected:
    BOOL OnInitDialog() override {
        initialised = true;
        PostMessageW(hwnd_, kCustom, 0, 42);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == kCustom) {
            EndDialog(static_cast<INT_PTR>(lparam));
            return 0;
        }
        return CDialogWindow::WindowProc(message, wparam, lparam);
    }
};

TEST(WindowLayerTest, ModalAndModelessDialogsFromTemplates) {
    testing::HostWindow owner(200, 100);
    EndingDialog modal;
    EXPECT_EQ(modal.DoModal(owner.Hwnd()), 42);
    EXPECT_TRUE(modal.initialised);
    EXPECT_EQ(modal.Hwnd(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));

    EndingDialog modeless;
    ASSERT_TRUE(modeless.CreateModeless(owner.Hwnd()));
    EXPECT_TRUE(modeless.initialised);
    EXPECT_EQ(GetWindow(modeless.Hwnd(), GW_OWNER), owner.Hwnd());
    testing::Pump();  // the posted message ends (destroys) the modeless dialog
    EXPECT_EQ(modeless.Hwnd(), nullptr);

    struct MissingTemplate : CDialogWindow {
        MissingTemplate() : CDialogWindow(31999) {}
    } missing;
    EXPECT_FALSE(missing.CreateModeless(owner.Hwnd()));
}

TEST(GdiplusSessionTest, ControlsStartAndShutDownTheLibrary) {
    const int before = GdiplusSession::Holders();
    {
        testing::HostWindow host(100, 60);
        auto control = std::make_unique<CEA_Lum2>();
        EXPECT_EQ(GdiplusSession::Holders(), before + 1);
        ASSERT_TRUE(control->Create(host.Hwnd(), 3024, RECT{0, 0, 80, 20}));
        control.reset();
        EXPECT_EQ(GdiplusSession::Holders(), before);
    }
    EXPECT_EQ(GdiplusSession::Holders(), before);
}

TEST(FontFallbackTest, MissingFacesStillGiveAFont) {
    GdiplusSession session;
    auto missing = MakeGdiplusFont(L"No Such Face 123", 14);
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->IsAvailable());
    EXPECT_FALSE(FontFaceInstalled(L"No Such Face 123"));
    for (const wchar_t* face : {L"微软雅黑", L"宋体", L"黑体", L"Arial Bold", L"Times New Roman"}) {
        auto font = MakeGdiplusFont(face, 12);
        ASSERT_NE(font, nullptr) << face;
        EXPECT_TRUE(font->IsAvailable());
    }
    EXPECT_NE(MakeGdiplusFont(nullptr, 0), nullptr);
}

// The screenshot run refuses to draw Chinese captions as boxes; the probe must tell the two cases apart.
TEST(FontFallbackTest, ChineseProbeTellsCjkFacesFromLatinOnes) {
    GdiplusSession session;
    EXPECT_TRUE(FontDrawsText(L"微软雅黑", L"模式话筒話筒"));
    EXPECT_TRUE(FontDrawsText(L"Tahoma", L"Mode"));
    EXPECT_FALSE(FontDrawsText(L"Tahoma", L"模式"));
}

}  // namespace
}  // namespace vela
