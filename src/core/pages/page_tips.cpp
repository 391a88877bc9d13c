#include "core/pages/page_tips.h"

#include <array>

#include "core/pages/strip_page.h"
#include "core/pages/system_page.h"

namespace vela::tips {

namespace {

using L = LocalizedString;
namespace button = system_button;
namespace ids = system_ids;
namespace value = system_value;

constexpr L kStart{{L"开机时此通道的音量，不会高于它的最大音量。",
                    L"開機時此通道的音量，不會高於它的最大音量。",
                    L"This channel's volume when the processor is switched on; never above its maximum."}};
constexpr L kMax{{L"此通道主推子能推到的最高位置：主界面的推子停在这里（例如 84%）。",
                  L"此通道主推子能推到的最高位置：主介面的推子停在這裡（例如 84%）。",
                  L"How far this channel's master fader goes: the fader in the main window stops here "
                  L"(at 84 % when this says 84 %)."}};
constexpr L kGateThreshold{{L"噪声门阈值：噪声门启用时，低于此电平的信号被静音。",
                            L"噪聲門閾值：噪聲門啟用時，低於此電平的信號被靜音。",
                            L"Noise gate threshold: while the gate is enabled, signals below it are muted."}};
constexpr L kKeyShift{
    {L"音乐变调：中间为原调，左边降调，右边升调。", L"音樂變調：中間為原調，左邊降調，右邊升調。",
     L"Key shift of the music: the middle is the original key, left is lower, right higher."}};
constexpr L kMicVolume{{L"话筒的输入音量。", L"話筒的輸入音量。", L"The microphone's input volume."}};

// table: the System page's image buttons by index
constexpr std::array<L, button::kCount> kSystemButtons{{
    {{L"检查系统密码；正确后才能修改系统密码。", L"檢查系統密碼；正確後才能修改系統密碼。",
      L"Checks the system password; only then can it be changed."}},
    {{L"检查按键密码；正确后才能修改按键密码。", L"檢查按鍵密碼；正確後才能修改按鍵密碼。",
      L"Checks the keypad password; only then can it be changed."}},
    {{L"把新的 4 位按键密码写入设备。", L"把新的 4 位按鍵密碼寫入設備。",
      L"Writes the new four-digit keypad password into the processor."}},
    {{L"调用所选的设备模式：设备的所有参数换成该模式保存的值。",
      L"調用所選的設備模式：設備的所有參數換成該模式保存的值。",
      L"Recalls the chosen device scene: every setting of the processor becomes what the scene holds."}},
    {{L"把现在的设置以输入的名称保存到所选的设备模式。", L"把現在的設置以輸入的名稱保存到所選的設備模式。",
      L"Stores the current settings in the chosen device scene under the name typed."}},
    {{L"清空三个系统密码输入框。", L"清空三個系統密碼輸入框。", L"Empties the three system password boxes."}},
    {{L"把新的 6 位系统密码写入设备（两次输入须相同）。", L"把新的 6 位系統密碼寫入設備（兩次輸入須相同）。",
      L"Writes the new six-digit system password (typed twice alike) into the processor."}},
    {{L"把设备现在的全部设置保存为电脑上的模式文件（列表中的名称）。",
      L"把設備現在的全部設置保存為電腦上的模式文件（列表中的名稱）。",
      L"Saves all of the processor's settings as a scene file on this computer (the name in the list)."}},
    {{L"删除列表中选中的模式文件；删除前会询问，删除后不能恢复。",
      L"刪除列表中選中的模式文件；刪除前會詢問，刪除後不能恢復。",
      L"Deletes the scene file chosen in the list, after asking; it cannot be undone."}},
    {{L"把列表中选中的模式文件写入设备，完成后会提示。", L"把列表中選中的模式文件寫入設備，完成後會提示。",
      L"Writes the scene file chosen in the list into the processor and says when it is done."}},
    {{L"设置设备的 Wi-Fi 模块：热点或连接路由器。", L"設置設備的 Wi-Fi 模組：熱點或連接路由器。",
      L"Sets up the processor's Wi-Fi module: its own hotspot, or joining a router."}},
    {{L"从外部参数文件 (*.PCE) 只导入预设部分，并保存在设备中。",
      L"從外部參數文件 (*.PCE) 只導入預設部分，並保存在設備中。",
      L"Imports only the presets from an external parameter file (*.PCE) and stores them in the processor."}},
    {{L"把设备的全部设置保存为模式文件，可选任何文件夹（例如 U 盘）。",
      L"把設備的全部設置保存為模式文件，可選任何資料夾（例如 U 盤）。",
      L"Saves all of the processor's settings as a scene file in any folder (a USB stick, say)."}},
    {{L"从任何文件夹选择一个模式文件并写入设备；它会出现在列表中。",
      L"從任何資料夾選擇一個模式文件並寫入設備；它會出現在列表中。",
      L"Chooses a scene file in any folder and writes it into the processor; the list then offers it."}},
}};

constexpr L kPasswordBox{
    {L"输入密码（只能输入数字）。", L"輸入密碼（只能輸入數字）。", L"Type the password (digits only)."}};
constexpr L kKeySwitch{{L"设备按键是否需要密码。", L"設備按鍵是否需要密碼。",
                        L"Whether the processor's keypad asks for its password."}};
constexpr L kSceneList{{L"设备中的 8 个模式，显示设备保存的名称。",
                        L"設備中的 8 個模式，顯示設備保存的名稱。",
                        L"The processor's eight scenes, by the names it holds."}};
constexpr L kSceneName{{L"保存模式时使用的名称（最多 25 字节）。", L"保存模式時使用的名稱（最多 25 字節）。",
                        L"The name a scene is stored under (up to 25 bytes)."}};
constexpr L kLanguage{{L"程序的显示语言，下次启动时仍然有效。", L"程式的顯示語言，下次啟動時仍然有效。",
                       L"The program's language, kept for the next start."}};
constexpr L kPowerOn{{L"设备开机时选择的音乐输入。", L"設備開機時選擇的音樂輸入。",
                      L"The music input the processor chooses when switched on."}};
constexpr L kLocalFile{{L"本程序文件夹中的模式文件，之后是最近用过的其他文件（完整路径）。",
                        L"本程式資料夾中的模式文件，之後是最近用過的其他文件（完整路徑）。",
                        L"Scene files in the program's folder, then other recently used files by their full "
                        L"paths."}};
constexpr L kGate{{L"启用噪声门。", L"啟用噪聲門。", L"Enables the noise gate."}};

constexpr L kLevel{{L"此路信号送到输出的电平；右边的方框把这一路静音。",
                    L"此路信號送到輸出的電平；右邊的方框把這一路靜音。",
                    L"How much of this signal reaches the output; the box beside it mutes it."}};
constexpr L kCompThreshold{{L"压缩器阈值：高于此电平的信号被压缩。", L"壓縮器閾值：高於此電平的信號被壓縮。",
                            L"Compressor threshold: signals above it are compressed."}};
constexpr L kAttack{{L"压缩器启动时间：信号超过阈值后多快开始压缩。",
                     L"壓縮器啟動時間：信號超過閾值後多快開始壓縮。",
                     L"Compressor attack: how soon it acts once the signal passes the threshold."}};
constexpr L kRelease{{L"压缩器释放时间：信号回落后多快停止压缩。",
                      L"壓縮器釋放時間：信號回落後多快停止壓縮。",
                      L"Compressor release: how soon it lets go once the signal falls back."}};
constexpr L kRatio{{L"压缩比：高于阈值的部分被压缩多少。", L"壓縮比：高於閾值的部分被壓縮多少。",
                    L"Compressor ratio: how much of what passes the threshold is held back."}};
constexpr L kHighPass{{L"高通滤波器：去掉此频率以下的声音（最左边为关）。",
                       L"高通濾波器：去掉此頻率以下的聲音（最左邊為關）。",
                       L"High-pass filter: removes what lies below this frequency (far left is off)."}};
constexpr L kLowPass{{L"低通滤波器：去掉此频率以上的声音（最右边为关）。",
                      L"低通濾波器：去掉此頻率以上的聲音（最右邊為關）。",
                      L"Low-pass filter: removes what lies above this frequency (far right is off)."}};
constexpr L kDelay{{L"输出延时，让声音与离听众较远的音箱对齐；右边显示对应的距离。",
                    L"輸出延時，讓聲音與離聽眾較遠的音箱對齊；右邊顯示對應的距離。",
                    L"Output delay, to line this speaker up with one farther away; the distance is shown."}};
constexpr L kEcho{{L"回声的预延时、延时和重复次数。", L"回聲的預延時、延時和重複次數。",
                   L"The echo's pre-delay, delays and repeats."}};
constexpr L kReverb{
    {L"混响的预延时和混响时间。", L"混響的預延時和混響時間。", L"The reverb's pre-delay and time."}};

constexpr L kSlope{{L"滤波器的类型和陡度（每倍频程 12 或 24 dB）。",
                    L"濾波器的類型和陡度（每倍頻程 12 或 24 dB）。",
                    L"The filter's type and steepness (12 or 24 dB per octave)."}};
constexpr L kFbx{{L"话筒防啸叫：OFF 为关，1、2、3 逐级加强（级数越高越能抑制啸叫，音质变化也越大）。",
                  L"話筒防嘯叫：OFF 為關，1、2、3 逐級加強（級數越高越能抑制嘯叫，音質變化也越大）。",
                  L"Microphone feedback suppression: OFF, or 1, 2, 3 from light to strong (a higher step "
                  L"stops howling sooner and colours the sound more)."}};

constexpr L kMute{{L"静音此输出（左、全部或右）。", L"靜音此輸出（左、全部或右）。",
                   L"Mutes this output (left, both or right)."}};
constexpr L kReset{{L"把所有 EQ 频段恢复为 0 dB 和默认频率。", L"把所有 EQ 頻段恢復為 0 dB 和預設頻率。",
                    L"Puts every EQ band back to 0 dB at its default frequency."}};
constexpr L kEqPass{{L"旁通 EQ：按下时各频段不起作用，滤波器仍然有效。",
                     L"旁通 EQ：按下時各頻段不起作用，濾波器仍然有效。",
                     L"Bypasses the EQ: while pressed the bands do nothing; the filters stay."}};
constexpr L kMicChoice{{L"选择此页显示和调节的话筒。", L"選擇此頁顯示和調節的話筒。",
                        L"Chooses which microphone this page shows and sets."}};

constexpr L kBand{
    {L"一个 EQ 频段：增益 (dB)、频率和 Q 值可输入或用箭头调节。类型图标：峰值（钟形）、"
     L"高架（右边抬升）、低架（左边抬升）。",
     L"一個 EQ 頻段：增益 (dB)、頻率和 Q 值可輸入或用箭頭調節。類型圖示：峰值（鐘形）、"
     L"高架（右邊抬升）、低架（左邊抬升）。",
     L"One EQ band: type or step its gain (dB), frequency and Q. Type icons: peaking (a bell), "
     L"high shelf (lifts the top), low shelf (lifts the bottom)."}};
constexpr L kGraph{{L"频率响应：拖动圆点调节频段，拖动两端的滤波器手柄；右键可复制和粘贴 EQ。",
                    L"頻率響應：拖動圓點調節頻段，拖動兩端的濾波器手柄；右鍵可複製和貼上 EQ。",
                    L"The frequency response: drag a band's dot, or a filter's handle at either end; "
                    L"right-click to copy or paste the EQ."}};
constexpr L kMaster{{L"此通道的主音量。推子停在系统页设置的最大音量（例如 84%），可在系统页修改。",
                     L"此通道的主音量。推子停在系統頁設置的最大音量（例如 84%），可在系統頁修改。",
                     L"This channel's master volume. It stops at the maximum set on the System page (84 %, "
                     L"say); change it there."}};
constexpr L kTab{{L"切换显示的页面。", L"切換顯示的頁面。", L"Shows another page."}};
// table: the title area's buttons by index
constexpr std::array<L, 7> kTitleButtons{{
    {{L"隐藏到任务栏通知区域；单击那里的图标可恢复。", L"隱藏到工作列通知區域；按一下那裡的圖示可恢復。",
      L"Hides the window in the notification area; click the icon there to bring it back."}},
    {{L"最大化或还原窗口。", L"最大化或還原視窗。", L"Maximises or restores the window."}},
    {{L"退出程序。", L"退出程式。", L"Closes the program."}},
    {{L"与设备的连接状态。", L"與設備的連接狀態。", L"The state of the link with the processor."}},
    {{L"自动：设备按音乐自动选择唱歌或跳舞模式；手动：由下面两个按钮选择。",
      L"自動：設備按音樂自動選擇唱歌或跳舞模式；手動：由下面兩個按鈕選擇。",
      L"Auto: the processor picks Sing or Dance from the music; Hand: the two buttons beside it choose."}},
    {{L"唱歌模式（只在手动时可选）。", L"唱歌模式（只在手動時可選）。", L"Sing mode (chosen by hand only)."}},
    {{L"跳舞模式（只在手动时可选）。", L"跳舞模式（只在手動時可選）。",
      L"Dance mode (chosen by hand only)."}},
}};
constexpr L kSource{{L"选择音乐输入。", L"選擇音樂輸入。", L"Chooses the music input."}};

}  // namespace

std::wstring_view SystemValue(int control) {
    if (control >= 0 && control < system_page::kVolumeControls)
        return Text(control % 2 == 0 ? kStart : kMax);
    switch (control) {
        case value::kMusicThreshold:
        case value::kMicThreshold:
            return Text(kGateThreshold);
        case value::kKeyShift:
            return Text(kKeyShift);
        case value::kMicVolA:
        case value::kMicVolB:
            return Text(kMicVolume);
        default:
            return {};
    }
}

std::wstring_view SystemButton(int b) {
    return b >= 0 && b < button::kCount ? Text(kSystemButtons[static_cast<std::size_t>(b)])
                                        : std::wstring_view();
}

std::wstring_view SystemItem(int id) {
    switch (id) {
        case ids::kKeyPassword:
        case ids::kNewKeyPassword:
        case ids::kSystemPassword:
        case ids::kOldPassword:
        case ids::kNewPassword:
        case ids::kConfirmPassword:
            return Text(kPasswordBox);
        case ids::kKeyEnable:
        case ids::kKeyDisable:
            return Text(kKeySwitch);
        case ids::kSceneList:
            return Text(kSceneList);
        case ids::kSceneName:
            return Text(kSceneName);
        case ids::kLanguageList:
            return Text(kLanguage);
        case ids::kPowerOnList:
            return Text(kPowerOn);
        case ids::kLocalFile:
            return Text(kLocalFile);
        case ids::kMusicGate:
        case ids::kMicGate:
            return Text(kGate);
        default:
            return {};
    }
}

std::wstring_view StripValue(const ValueSlot& slot) {
    switch (slot.kind) {
        case SlotKind::kLevel:
            return Text(kLevel);
        case SlotKind::kThreshold:
            return Text(kCompThreshold);
        case SlotKind::kAttack:
            return Text(kAttack);
        case SlotKind::kRelease:
            return Text(kRelease);
        case SlotKind::kRatio:
            return Text(kRatio);
        case SlotKind::kHighPass:
            return Text(kHighPass);
        case SlotKind::kLowPass:
        case SlotKind::kLowPassShort:
            return Text(kLowPass);
        case SlotKind::kDelay:
            return Text(kDelay);
        case SlotKind::kMicVolume:
            return Text(kMicVolume);
        case SlotKind::kKeyShift:
            return Text(kKeyShift);
        case SlotKind::kEchoLeftPre:
        case SlotKind::kEchoRightPre:
        case SlotKind::kEchoRightDelay:
        case SlotKind::kEchoTapDelay:
        case SlotKind::kEchoTapRepeat:
            return Text(kEcho);
        case SlotKind::kReverbPre:
        case SlotKind::kReverbTime:
            return Text(kReverb);
    }
    return {};
}

std::wstring_view StripCombo(int combo) {
    return Text(combo == kFbxCombo ? kFbx : kSlope);
}

std::wstring_view StripButton(int b) {
    switch (b) {
        case kResetButton:
            return Text(kReset);
        case kEqPassButton:
            return Text(kEqPass);
        case kMicAButton:
        case kMicBButton:
            return Text(kMicChoice);
        default:
            return b >= 0 && b < kResetButton ? Text(kMute) : std::wstring_view();
    }
}

std::wstring_view BandEditor() {
    return Text(kBand);
}

std::wstring_view ResponseGraph() {
    return Text(kGraph);
}

std::wstring_view MasterFader() {
    return Text(kMaster);
}

std::wstring_view PageTab() {
    return Text(kTab);
}

std::wstring_view MusicSource() {
    return Text(kSource);
}

std::wstring_view TitleButton(int b) {
    return b >= 0 && b < static_cast<int>(kTitleButtons.size())
               ? Text(kTitleButtons[static_cast<std::size_t>(b)])
               : std::wstring_view();
}

}  // namespace vela::tips
