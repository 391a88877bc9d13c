#include "gui/app/undo_bar_win32.h"

#include "core/text/strings.h"
#include "res/resource.h"

namespace vela {
namespace {

// The one bar whose window the message hook watches; the GUI has one main window on one thread.
CUndoBar* g_watching = nullptr;

// How often the progress of a long write-back is looked at: about two poll cycles.
constexpr UINT_PTR kProgressTimer = 0x2517;
constexpr UINT kProgressTickMs = 100;

bool InWindow(HWND main, HWND w) {
    return w != nullptr && (w == main || IsChild(main, w));
}

// An edit box keeps its own Ctrl+Z for its text.
bool IsTextBox(HWND w) {
    wchar_t name[16] = {};
    return w != nullptr && GetClassNameW(w, name, 16) > 0 && lstrcmpiW(name, L"Edit") == 0;
}

}  // namespace

CUndoBar::CUndoBar(DeviceLink& link, ParameterMap& map, IUserMessages& messages,
                   std::function<std::string()> identity)
    : actions_(link, map), link_(link), messages_(messages), identity_(std::move(identity)) {}

CUndoBar::~CUndoBar() {
    actions_.History().SetOnChange(nullptr);
    if (main_ != nullptr && IsWindow(main_)) {
        KillTimer(main_, kProgressTimer);
    }
    if (hook_ != nullptr) {
        UnhookWindowsHookEx(hook_);
    }
    if (g_watching == this) {
        g_watching = nullptr;
    }
}

void CUndoBar::Create(HWND main_window, HDC background) {
    main_ = main_window;
    const std::array<const LocalizedString*, kUndoBarButtons> captions{
        &extra::kUndoButton, &extra::kRedoButton, &extra::kCompareButton, &extra::kCompareKeep};
    for (int i = 0; i < kUndoBarButtons; ++i) {
        CGDI_Button& b = Button(i);
        b.Create(main_, static_cast<int>(UM_UNDO_BAR), RECT{0, 0, 1, 1},
                 std::wstring(Text(*captions[static_cast<std::size_t>(i)])).c_str());
        b.SetIndex(i);
        b.SetSkin(background, IDP_BUTTON);
    }
    // Edits arrive from every control, some without a message through the queue: the buttons are brought up
    // to date once the edit's message has been handled.
    actions_.History().SetOnChange([this] {
        if (!refresh_posted_) {
            refresh_posted_ = true;
            PostMessageW(main_, UM_UNDO_BAR, static_cast<WPARAM>(-1), 0);
        }
    });
    g_watching = this;
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, &CUndoBar::WatchMessages, nullptr, GetCurrentThreadId());
    Refresh();
}

void CUndoBar::Reskin(HDC background) {
    for (auto& b : buttons_) {
        b.SetSkin(background, IDP_BUTTON);
    }
}

void CUndoBar::Place(const MainLayout& layout, const wchar_t* face, unsigned text_colour, int text_flags) {
    const auto rects = UndoBarRects(layout);
    for (int i = 0; i < kUndoBarButtons; ++i) {
        const Rect& r = rects[static_cast<std::size_t>(i)];
        CGDI_Button& b = Button(i);
        if (b.Hwnd() != nullptr) {
            MoveWindow(b.Hwnd(), r.left, r.top, r.Width(), r.Height(), TRUE);
        }
        b.SetTextStyle(static_cast<float>(layout.title_font), face, text_colour, text_flags, text_colour);
    }
}

void CUndoBar::Refresh() {
    refresh_posted_ = false;
    const EditHistory& h = actions_.History();
    const EditStep* undo = h.NextUndo();
    const EditStep* redo = h.NextRedo();
    Button(kUndoBarUndo)
        .SetHelp(undo ? FormatText(Text(extra::kUndoTip), StepText(*undo).c_str())
                      : std::wstring(Text(extra::kNothingToUndo)));
    Button(kUndoBarRedo)
        .SetHelp(redo ? FormatText(Text(extra::kRedoTip), StepText(*redo).c_str())
                      : std::wstring(Text(extra::kNothingToRedo)));
    Button(kUndoBarUndo).SetEnabled(undo != nullptr);
    Button(kUndoBarRedo).SetEnabled(redo != nullptr);
    Button(kUndoBarUndo).SetCaption(std::wstring(Text(extra::kUndoButton)));
    Button(kUndoBarRedo).SetCaption(std::wstring(Text(extra::kRedoButton)));

    const AbCompare& ab = actions_.Compare();
    const bool a_live = ab.Active() && ab.Live() == AbCompare::Side::kA;
    Button(kUndoBarCompare)
        .SetCaption(!ab.Active() ? std::wstring(Text(extra::kCompareButton))
                    : a_live     ? std::wstring(L"[A] B")
                                 : std::wstring(L"A [B]"));
    Button(kUndoBarCompare)
        .SetHelp(ab.Active() ? FormatText(Text(extra::kCompareLiveTip), a_live ? L"A" : L"B")
                             : std::wstring(Text(extra::kCompareTip)));
    Button(kUndoBarKeep).SetCaption(std::wstring(Text(extra::kCompareKeep)));
    Button(kUndoBarKeep).SetEnabled(ab.Active());
    Button(kUndoBarKeep).SetHelp(std::wstring(Text(extra::kCompareKeepTip)));
}

void CUndoBar::Command(int button) {
    switch (button) {
        case kUndoBarUndo:
            actions_.Undo();
            FollowProgress();
            break;
        case kUndoBarRedo:
            actions_.Redo();
            FollowProgress();
            break;
        case kUndoBarCompare:
            if (actions_.SwitchCompare() == HistoryActions::CompareResult::kLinkDown) {
                messages_.Show(Text(extra::kCompareLinkDown), {}, MessageButtons::kOk);
            }
            FollowProgress();
            break;
        case kUndoBarKeep:
            actions_.KeepCompare();
            break;
        default:
            break;  // only the buttons' state to bring up to date
    }
    Refresh();
}

void CUndoBar::OnLinkNotify(LinkNotify code, LPARAM value) {
    const bool connected =
        code == LinkNotify::kLinkState && value == static_cast<LPARAM>(LinkStateCode::kConnected);
    const auto effect =
        actions_.OnLinkNotify(code, value, connected && identity_ ? identity_() : std::string());
    if (effect.changed) {
        Refresh();
    }
    if (effect.cleared) {
        messages_.Show(Text(extra::kHistoryCleared), {}, MessageButtons::kOk);
    }
}

void CUndoBar::FollowProgress() {
    if (progress_host_ == nullptr) {
        return;
    }
    const auto progress = actions_.Progress();
    if (!progress) {
        if (progress_shown_) {
            progress_shown_ = false;
            KillTimer(main_, kProgressTimer);
            progress_host_->ProgressShow(false);
        }
        return;
    }
    if (!progress_shown_) {
        progress_shown_ = true;
        SetTimer(main_, kProgressTimer, kProgressTickMs, &CUndoBar::ProgressTick);
    }
    // All of it again each time: the link's own progress (the re-read after a mode change) may have
    // taken the display meanwhile.
    progress_host_->ProgressSetRange(progress->total);
    progress_host_->ProgressSetFormat(Text(extra::kUndoProgress));
    progress_host_->ProgressSetPos(progress->written);
    progress_host_->ProgressShow(true);
}

void CALLBACK CUndoBar::ProgressTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_watching != nullptr) {
        g_watching->FollowProgress();
    }
}

bool CUndoBar::Watch(MSG& msg) {
    if (!InWindow(main_, msg.hwnd)) {
        return false;
    }
    switch (msg.message) {
        case WM_LBUTTONDOWN:
            actions_.History().PressStarted();
            return false;
        case WM_LBUTTONUP:
            actions_.History().PressEnded();
            return false;
        case WM_KEYDOWN: {
            if (IsTextBox(msg.hwnd)) {
                return false;
            }
            const auto button = UndoBarShortcut(static_cast<unsigned>(msg.wParam),
                                                GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
            if (!button) {
                return false;
            }
            PostMessageW(main_, UM_UNDO_BAR, static_cast<WPARAM>(*button), 0);
            return true;
        }
        default:
            return false;
    }
}

LRESULT CALLBACK CUndoBar::WatchMessages(int code, WPARAM wparam, LPARAM lparam) {
    // Only messages taken off the queue: one peeked and left there is seen again when it is taken.
    if (code == HC_ACTION && wparam == PM_REMOVE && g_watching != nullptr) {
        auto* msg = reinterpret_cast<MSG*>(lparam);
        if (g_watching->Watch(*msg)) {
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace vela
