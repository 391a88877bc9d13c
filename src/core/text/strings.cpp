#include "core/text/strings.h"

#include <atomic>

namespace vela {
namespace {

struct Row {
    str::Id id;
    std::wstring_view hans;
    std::wstring_view hant;
    std::wstring_view en;
};

// The Traditional members follow the Simplified wording character by character (软件 → 軟件,
// 默认 → 默認), the way the program's other Traditional texts read. A device scene is a 模式 throughout.
// Colons stay ASCII: the value control splits its caption at the first ':'.
constexpr Row kRows[] = {
    {str::kSuccessful, L"连接成功", L"連接成功", L"Successful"},
    {str::kSearching, L"搜索连接", L"搜索連接", L"Search.."},
    {str::kSuspended, L"暂停连接", L"暫停連接", L"Suspended"},
    {str::kMain, L"主声道", L"主聲道", L"Main"},
    {str::kCenter, L"中置", L"中置", L"Center"},
    {str::kSub, L"超低音", L"超低音", L"Sub"},
    {str::kRear, L"后置", L"後置", L"Rear"},
    {str::kMusic, L"音乐", L"音樂", L"Music"},
    {str::kMic, L"话筒", L"話筒", L"Mic"},
    {str::kEcho, L"回声", L"回聲", L"Echo"},
    {str::kReverb, L"混响", L"混響", L"Reverb"},
    {str::kSystem, L"系统", L"系統", L"System"},
    {str::kProgramRunning, L"程序已经在运行!", L"程序已經在運行!", L"The Program is Running!"},
    {str::kMusicFader, L"音乐:%3.0f%%", L"音樂:%3.0f%%", L"Music:%3.0f%%"},
    {str::kMicFader, L"话筒:%3.0f%%", L"話筒:%3.0f%%", L"Mic:%3.0f%%"},
    {str::kEffectFader, L"效果:%3.0f%%", L"效果:%3.0f%%", L"Effect:%3.0f%%"},
    {str::kMusicInput, L"音乐输入:", L"音樂輸入:", L"Music Input:"},
    {str::kAuto, L"自动", L"自動", L"Auto"},
    {str::kHand, L"手动", L"手動", L"Hand"},
    {str::kSing, L"唱歌", L"唱歌", L"Sing"},
    {str::kDance, L"跳舞", L"跳舞", L"Dance"},
    {str::kRowGain, L"增益:\n(db)", L"增益:\n(db)", L"Gain:\n(db)"},
    {str::kRowType, L"类型:", L"類型:", L"Type:"},
    {str::kRowFreq, L"频率:\n(Hz)", L"頻率:\n(Hz)", L"Freq:\n(Hz)"},
    {str::kRowQ, L"Q值/高低:", L"Q值/高低:", L"Q/HL:"},
    {str::kMusicVol, L"音乐音量:   %3d%%", L"音樂音量:   %3d%%", L"Music Vol:   %3d%%"},
    {str::kDirVol, L"直通音量:   %3d%%", L"直通音量:   %3d%%", L"Dir Vol:   %3d%%"},
    {str::kEchoVol, L"回声音量:   %3d%%", L"回聲音量:   %3d%%", L"Echo Vol:   %3d%%"},
    {str::kReverbVol, L"混响音量:   %3d%%", L"混響音量:   %3d%%", L"Reverb Vol:   %3d%%"},
    {str::kAutoVolumeOutput, L"自动音量输出:   %3d%%", L"自動音量輸出:   %3d%%", L"Reverb Vol:   %3d%%"},
    {str::kThreshold, L"阈值:   %3ddBu", L"閾值:   %3ddBu", L"Threshold:   %3ddBu"},
    {str::kAttack, L"启动时间:   %3.1fms", L"啟動時間:   %3.1fms", L"Attack:   %3.1fms"},
    {str::kRelease, L"释放时间:   启动 x%dms", L"釋放時間:   啟動 x%dms", L"Release:   Atk x%dms"},
    {str::kRatio, L"压缩比:   %2.1f", L"壓縮比:   %2.1f", L"Ratio:   %2.1f"},
    {str::kHpfFreqWhole, L"高通频率:   %4dHz", L"高通頻率:   %4dHz", L"HPF Freq:   %4dHz"},
    {str::kHpfFreqDecimal, L"高通频率:   %4.1fHz", L"高通頻率:   %4.1fHz", L"HPF Freq:   %4.1fHz"},
    {str::kHpfFreqOff, L"高通频率:   关闭", L"高通頻率:   關閉", L"HPF Freq:   OFF"},
    {str::kHpfSlope, L"高通斜率:", L"高通斜率:", L"HPF Slope:"},
    {str::kHpfQ, L"高通Q值:   %3.1f", L"高通Q值:   %3.1f", L"HPF Q:   %3.1f"},
    {str::kLpfFreqWhole, L"低通频率:   %3dHz", L"低通頻率:   %3dHz", L"LPF Freq:   %3dHz"},
    {str::kLpfFreqDecimal, L"低通频率:   %3.1fHz", L"低通頻率:   %3.1fHz", L"LPF Freq:   %3.1fHz"},
    {str::kLpfFreqOff, L"低通频率:   关闭", L"低通頻率:   關閉", L"LPF Freq:   OFF"},
    {str::kShiftFlat, L"变调:   b%0.0f", L"變調:   b%0.0f", L"Shift:   b%0.0f"},
    {str::kShiftNone, L"变调:   0 ", L"變調:   0 ", L"Shift:   0 "},
    {str::kShiftSharp, L"变调:   #%0.0f", L"變調:   #%0.0f", L"Shift:   #%0.0f"},
    {str::kLpfSlope, L"低通斜率:", L"低通斜率:", L"LPF Slope:"},
    {str::kLpfQ, L"低通Q值:   %3.1f", L"低通Q值:   %3.1f", L"LPF Q:   %3.1f"},
    {str::kLeftDelayWhole, L"左延时:   %3.0fms", L"左延時:   %3.0fms", L"Left-Delay:   %3.0fms"},
    {str::kLeftDelayDecimal, L"左延时:   %3.1fms", L"左延時:   %3.1fms", L"Left-Delay:   %3.1fms"},
    {str::kDelayWhole, L"延时:   %3.0fms", L"延時:   %3.0fms", L"Delay:   %3.0fms"},
    {str::kDelayDecimal, L"延时:   %3.1fms", L"延時:   %3.1fms", L"Delay:   %3.1fms"},
    {str::kDelayDistance, L"延时距离:  %0.2fM", L"延時距離:  %0.2fM", L"Delay distance:  %0.2fM"},
    {str::kRightDelayWhole, L"右延时:  %3.0fms", L"右延時:  %3.0fms", L"Right-Delay:  %3.0fms"},
    {str::kRightDelayDecimal, L"右延时:   %3.1fms", L"右延時:   %3.1fms", L"Right-Delay:   %3.1fms"},
    {str::kLeftMute, L"左静音", L"左靜音", L"Left Mute"},
    {str::kMute, L"静音", L"靜音", L"Mute"},
    {str::kRightMute, L"右静音", L"右靜音", L"Right Mute"},
    {str::kEchoLeftPreDelay, L"回声左预延时:%4dms", L"回聲左預延時:%4dms", L"Echo LPreDelay:%4dms"},
    {str::kEchoRightPreDelay, L"回声右预延时:%7dms", L"回聲右預延時:%7dms", L"Echo RPreDelay:%7dms"},
    {str::kEchoRightDelay, L"回声右延时:%3.1fms", L"回聲右延時:%3.1fms", L"Echo RDelay:%3.1fms"},
    {str::kEchoTapDelay, L"回声%C延时", L"回聲%C延時", L"Echo %C Delay"},
    {str::kEchoTapRepeat, L"回声%C重复", L"回聲%C重複", L"Echo %C Repeat"},
    {str::kReverbPreDelay, L"混响预延时:%dms", L"混響預延時:%dms", L"Reverb PreDelay:%dms"},
    {str::kReverbTime, L"混响时间:%5dms", L"混響時間:%5dms", L"Reverb Time:%5dms"},
    {str::kMicFbx, L" 话筒防啸叫:", L" 話筒防嘯叫:", L" MIC FBX:"},
    {str::kNoiseGate, L"噪声门:", L"噪聲門:", L"Noise Gate:"},
    {str::kGateThreshold, L"阈值:  %3.0f", L"閾值:  %3.0f", L"Threshold:  %3.0f"},
    {str::kKeyPassword, L"按键密码:", L"按鍵密碼:", L"Key PW:"},
    {str::kPowerOnInput, L"开机输入", L"開機輸入", L"Power-on input"},
    {str::kNewKeyPassword, L"新密码:", L"新密碼:", L"New PW:"},
    {str::kOkKeyPassword, L"确定", L"確定", L"OK"},
    {str::kChange, L"修改", L"修改", L"Change"},
    {str::kSystemPassword, L"系统密码:", L"系統密碼:", L"Sys PassWord:"},
    {str::kOkSystemPassword, L"确定", L"確定", L"OK"},
    {str::kSceneNumber, L"模式:", L"模式:", L"Num:"},
    {str::kSceneName, L"名称:", L"名稱:", L"Name:"},
    {str::kLanguage, L"语言:", L"語言:", L"Language:"},
    {str::kOldPassword, L"旧密码:", L"舊密碼:", L"Old PW:"},
    {str::kConfirmPassword, L"确认密码:", L"確認密碼:", L"Confirm PW:"},
    {str::kReset, L"重置", L"重置", L"Reset"},
    {str::kOkChangePassword, L"确定", L"確定", L"OK"},
    {str::kLocalSceneName, L"本地模式名称:", L"本地模式名稱:", L"Local Mode Name:"},
    {str::kSaveSceneLocal, L"保存模式到本地", L"保存模式到本地", L"Save Mode Local"},
    {str::kDeleteLocal, L"删除本地模式", L"刪除本地模式", L"Del In Local"},
    {str::kUpdateToDevice, L"更新到设备", L"更新到設備", L"Update To Equip"},
    {str::kWifiSet, L"WiFi设置", L"WiFi設置", L"Wifi Set"},
    {str::kExternalImport, L"外部数据导入", L"外部數據導入", L"External data import"},
    {str::kMusicStart, L"音乐开机音量: %30.0f%%", L"音樂開機音量: %30.0f%%", L"Music Start: %30.0f%%"},
    {str::kMusicMax, L"音乐最大音量:   %30.0f%%", L"音樂最大音量:   %30.0f%%", L"Music Max:   %30.0f%%"},
    {str::kMicStart, L"话筒开机音量:   %30.0f%%", L"話筒開機音量:   %30.0f%%", L"Mic Start:   %30.0f%%"},
    {str::kMicMax, L"话筒最大音量:     %30.0f%%", L"話筒最大音量:     %30.0f%%", L"Mic Max:     %30.0f%%"},
    {str::kMicBStart, L"话筒B开机音量:   %30.0f%%", L"話筒B開機音量:   %30.0f%%", L"MicB Start:   %30.0f%%"},
    {str::kMicBMax, L"话筒B最大音量:     %30.0f%%", L"話筒B最大音量:     %30.0f%%",
     L"MicB Max:     %30.0f%%"},
    {str::kEffectStart, L"效果开机音量:%30.0f%%", L"效果開機音量:%30.0f%%", L"Effect Start:%30.0f%%"},
    {str::kEffectMax, L"效果最大音量:  %30.0f%%", L"效果最大音量:  %30.0f%%", L"Effect Max:  %30.0f%%"},
    {str::kEnable, L"启用", L"啟用", L"Enable"},
    {str::kDisable, L"禁用", L"禁用", L"Disable"},
    {str::kUseScene, L"调用模式", L"調用模式", L"Use"},
    {str::kSave, L"保存", L"保存", L"Save"},
    {str::kNewSystemPassword, L"新密码:", L"新密碼:", L"New PW:"},
    {str::kLanguageNames, L"简体中文", L"繁体中文", L"English"},
    {str::kReadDeviceData, L"读取设备数据:%5.0f %%", L"讀取設備數據:%5.0f %%", L"Read Device Data:%5.0f %%"},
    {str::kUpdateDisplayData, L"更新显示数据:%5.0f %%", L"更新顯示數據:%5.0f %%",
     L"Update Display Data:%5.0f %%"},
    {str::kOnlineUpdate, L"在线下载进度:%5.0f %%", L"在線下載進度:%5.0f %%", L"Onling_Update:%5.0f %%"},
    {str::kWarning, L"警告!", L"警告!", L"Warning!"},
    {str::kCallSceneFailed, L"调用模式失败!", L"調用模式失敗!", L"Invocation pattern of failure!"},
    {str::kEnterFileName, L"请输入文件名!", L"請輸入文件名!", L"Please enter the file name!"},
    {str::kFileExists, L"文件已存在!\n 是否覆盖!", L"文件已存在!\n 是否覆蓋!",
     L"File already exists!\n Whether or not covered!"},
    {str::kDeleteFailed, L"删除失败.\n 没有文件!", L"刪除失敗.\n 沒有文件!", L"Delete failed.\n no files!"},
    {str::kNoFiles, L"没有文件.", L"沒有文件.", L"No files."},
    {str::kNewPrefix, L"新", L"新", L"New_T("},
    {str::kPasswordSixDigits, L"密码只能是六位数字!", L"密碼只能是六位數字!",
     L"Password only for six figures!"},
    {str::kPasswordFourDigits, L"密码只能是四位数字!", L"密碼只能是四位數字!",
     L"Password only for four figures!"},
    {str::kWrongPassword, L"密码错误!", L"密碼錯誤!", L"Wrong password!"},
    {str::kPasswordChanged, L"密码已修改!", L"密碼已修改!", L"Password is changed!"},
    {str::kPasswordsDontMatch, L"两次输入的新密码不一致!", L"兩次輸入的新密碼不一致!",
     L"The new passwords don't match!"},
    {str::kTip, L"提示!", L"提示!", L"Tip!"},
    {str::kExitProgram, L"是否退出程序!", L"是否退出程序!", L"Whether to exit the program!"},
    {str::kSaveSuccessful, L"保存成功!", L"保存成功!", L"Save successfully!"},
    {str::kNoDevice, L"没有设备!", L"沒有設備!", L"No Device!"},
    {str::kSoftwareUpdateAvailable, L"软件有更新,是否更新!", L"軟件有更新,是否更新!",
     L"Software update,Whether to update!"},
    {str::kMicA, L"话筒A", L"話筒A", L"MIC A"},
    {str::kMicB, L"话筒B", L"話筒B", L"MIC B"},
    {str::kMicVolA, L"话筒A音量:%3.0f%%", L"話筒A音量:%3.0f%%", L"MIC VOL A:%3.0f%%"},
    {str::kMicVolB, L"话筒B音量:%3.0f%%", L"話筒B音量:%3.0f%%", L"MIC VOL B:%3.0f%%"},
    {str::kVol, L"音量", L"音量", L"VOL"},
    {str::kAutoModeLocked, L"自动模式不可调节!", L"自動模式不可調節!", L"Automatic mode is adjusted!"},
    {str::kUpdateSoftware, L"是否更新软件!", L"是否更新軟件!", L"Whether to update the software!"},
    {str::kNoDuplicateContent, L"没有复制内容!", L"沒有複製內容!", L"No duplicate content!"},
    {str::kSsidEmpty, L"SSID不能为空!", L"SSID不能為空!", L"SSID can't be empty!"},
    {str::kRouteReconnect, L"将重新连接路由,\r\n 请检查路由SSID和密码是否正确.",
     L"將重新連接路由,\r\n 請檢查路由SSID和密碼是否正確.",
     L"Reset to connect the routing,\r\n Please check routing SSID and password are correct."},
    {str::kModifySuccess, L"修改成功,重启软件后生效!", L"修改成功,重啟軟件後生效!",
     L"Modify success, restart the software to work!"},
    {str::kPasswordEightChars, L"密码不能少于八位!", L"密碼不能少於八位!",
     L"Password cannot be less than eight!"},
    {str::kUpdateSceneData, L"更新模式数据:%5.0f %%", L"更新模式數據:%5.0f %%",
     L"Update Scene Data:%5.0f %%"},
    {str::kWriteDataFailed, L"写入数据失败!", L"寫入數據失敗!", L"Write Data Failed!"},
    {str::kReadDataFailed, L"读取数据失败!", L"讀取數據失敗!", L"Read Data Failed!"},
    {str::kSaveFailed, L"保存失败!", L"保存失敗!", L"Save Failed!"},
    {str::kNoFilesTransfer, L"没有文件。", L"沒有文件。", L"No files。"},
    {str::kWrongFileVersion, L"文件版本错误。", L"文件版本錯誤。", L"Wrong file version。"},
    {str::kCallScene, L"调用模式", L"調用模式", L"Call"},
    {str::kEquipmentOccupied, L"设备被占用!", L"設備被佔用!", L"Equipment occupied!"},
};

constexpr bool RowsInEntryOrder() {
    if (std::size(kRows) != static_cast<std::size_t>(str::kCount)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        if (kRows[i].id != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(RowsInEntryOrder(), "every entry once, in entry order");

constexpr std::array<LocalizedString, str::kCount> BuildTable() {
    std::array<LocalizedString, str::kCount> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = LocalizedString{{kRows[i].hans, kRows[i].hant, kRows[i].en}};
    }
    return table;
}

constexpr std::array<LocalizedString, str::kCount> kTable = BuildTable();

std::atomic<std::uint8_t> g_language{kLanguageEnglish};

bool ValidLanguage(int index) {
    return index >= 0 && index < kLanguageCount;
}

}  // namespace

const std::array<LocalizedString, str::kCount>& StringTable() {
    return kTable;
}

int LanguageIndex() {
    return g_language.load(std::memory_order_relaxed);
}

bool SetLanguageIndex(int index) {
    if (!ValidLanguage(index)) {
        return false;
    }
    g_language.store(static_cast<std::uint8_t>(index), std::memory_order_relaxed);
    return true;
}

std::uint16_t LanguageIdFor(int language_index) {
    switch (language_index) {
        case kLanguageSimplified:
            return 2052;
        case kLanguageTraditional:
            return 1028;
        default:
            return 1033;
    }
}

int LanguageIndexForLocale(std::uint32_t locale_id) {
    switch (locale_id) {
        case 0x804:
            return kLanguageSimplified;
        case 0x404:
        case 0xC04:
            return kLanguageTraditional;
        default:
            return kLanguageEnglish;
    }
}

std::wstring_view TextIn(int entry, int language_index) {
    if (entry < 0 || entry >= str::kCount || !ValidLanguage(language_index)) {
        return {};
    }
    return kTable[static_cast<std::size_t>(entry)].members[static_cast<std::size_t>(language_index)];
}

std::wstring_view Text(int entry) {
    return TextIn(entry, LanguageIndex());
}

std::wstring_view Text(const LocalizedString& text) {
    return text.members[static_cast<std::size_t>(LanguageIndex())];
}

std::optional<std::wstring_view> RelocalizeLinkState(std::wstring_view caption) {
    for (int entry : {str::kSuccessful, str::kSearching, str::kSuspended}) {
        for (const auto& member : kTable[static_cast<std::size_t>(entry)].members) {
            if (member == caption) {
                return Text(entry);
            }
        }
    }
    return std::nullopt;
}

}  // namespace vela
