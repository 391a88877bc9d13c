// The texts the program shows, each in Simplified Chinese, Traditional Chinese and English, and the
// process-wide choice among them.
#pragma once

#include <array>
#include <cstdint>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

namespace vela {

enum Language : int { kLanguageSimplified, kLanguageTraditional, kLanguageEnglish, kLanguageCount };

// Members in language-index order: Simplified Chinese, Traditional Chinese, English.
struct LocalizedString {
    std::array<std::wstring_view, kLanguageCount> members;
};

namespace str {
// Entry numbers of the string table; the order is fixed (the link states 0..2 must stay together).
enum Id : int {
    kSuccessful = 0,
    kSearching = 1,
    kSuspended = 2,
    kMain = 3,
    kCenter = 4,
    kSub = 5,
    kRear = 6,
    kMusic = 7,
    kMic = 8,
    kEcho = 9,
    kReverb = 10,
    kSystem = 11,
    kProgramRunning = 12,
    kMusicFader = 13,
    kMicFader = 14,
    kEffectFader = 15,
    kMusicInput = 16,
    kAuto = 17,
    kHand = 18,
    kSing = 19,
    kDance = 20,
    kRowGain = 21,
    kRowType = 22,
    kRowFreq = 23,
    kRowQ = 24,
    kMusicVol = 25,
    kDirVol = 26,
    kEchoVol = 27,
    kReverbVol = 28,
    kAutoVolumeOutput = 29,
    kThreshold = 30,
    kAttack = 31,
    kRelease = 32,
    kRatio = 33,
    kHpfFreqWhole = 34,
    kHpfFreqDecimal = 35,
    kHpfFreqOff = 36,
    kHpfSlope = 37,
    kHpfQ = 38,
    kLpfFreqWhole = 39,
    kLpfFreqDecimal = 40,
    kLpfFreqOff = 41,
    kShiftFlat = 42,
    kShiftNone = 43,
    kShiftSharp = 44,
    kLpfSlope = 45,
    kLpfQ = 46,
    kLeftDelayWhole = 47,
    kLeftDelayDecimal = 48,
    kDelayWhole = 49,
    kDelayDecimal = 50,
    kDelayDistance = 51,
    kRightDelayWhole = 52,
    kRightDelayDecimal = 53,
    kLeftMute = 54,
    kMute = 55,
    kRightMute = 56,
    kEchoLeftPreDelay = 57,
    kEchoRightPreDelay = 58,
    kEchoRightDelay = 59,
    kEchoTapDelay = 60,
    kEchoTapRepeat = 61,
    kReverbPreDelay = 62,
    kReverbTime = 63,
    kMicFbx = 64,
    kNoiseGate = 65,
    kGateThreshold = 66,
    kKeyPassword = 67,
    kPowerOnInput = 68,
    kNewKeyPassword = 69,
    kOkKeyPassword = 70,
    kChange = 71,
    kSystemPassword = 72,
    kOkSystemPassword = 73,
    kSceneNumber = 74,
    kSceneName = 75,
    kLanguage = 76,
    kOldPassword = 77,
    kConfirmPassword = 78,
    kReset = 79,
    kOkChangePassword = 80,
    kLocalSceneName = 81,
    kSaveSceneLocal = 82,
    kDeleteLocal = 83,
    kUpdateToDevice = 84,
    kWifiSet = 85,
    kExternalImport = 86,
    kMusicStart = 87,
    kMusicMax = 88,
    kMicStart = 89,
    kMicMax = 90,
    kMicBStart = 91,
    kMicBMax = 92,
    kEffectStart = 93,
    kEffectMax = 94,
    kEnable = 95,
    kDisable = 96,
    kUseScene = 97,
    kSave = 98,
    kNewSystemPassword = 99,
    kLanguageNames = 100,
    kReadDeviceData = 101,
    kUpdateDisplayData = 102,
    kOnlineUpdate = 103,
    kWarning = 104,
    kCallSceneFailed = 105,
    kEnterFileName = 106,
    kFileExists = 107,
    kDeleteFailed = 108,
    kNoFiles = 109,
    kNewPrefix = 110,
    kPasswordSixDigits = 111,
    kPasswordFourDigits = 112,
    kWrongPassword = 113,
    kPasswordChanged = 114,
    kPasswordsDontMatch = 115,
    kTip = 116,
    kExitProgram = 117,
    kSaveSuccessful = 118,
    kNoDevice = 119,
    kSoftwareUpdateAvailable = 120,
    kMicA = 121,
    kMicB = 122,
    kMicVolA = 123,
    kMicVolB = 124,
    kVol = 125,
    kAutoModeLocked = 126,
    kUpdateSoftware = 127,
    kNoDuplicateContent = 128,
    kSsidEmpty = 129,
    kRouteReconnect = 130,
    kModifySuccess = 131,
    kPasswordEightChars = 132,
    kUpdateSceneData = 133,
    kWriteDataFailed = 134,
    kReadDataFailed = 135,
    kSaveFailed = 136,
    kNoFilesTransfer = 137,
    kWrongFileVersion = 138,
    kCallScene = 139,
    kEquipmentOccupied = 140,
    kCount = 141,
};
}  // namespace str

// The whole table, in entry order.
const std::array<LocalizedString, str::kCount>& StringTable();

// Current language index (0, 1 or 2); shared by every thread.
int LanguageIndex();
// Ignores anything but 0, 1 and 2 (a damaged setting must not select a missing member). True when set.
bool SetLanguageIndex(int index);
// Language identifier for message boxes and dialogs: 2052, 1028 or 1033 (English for anything else).
std::uint16_t LanguageIdFor(int language_index);

// The language a system locale asks for: 0x804 Simplified, 0x404 and 0xC04 Traditional, else English.
int LanguageIndexForLocale(std::uint32_t locale_id);

// The entry's member in the current language; empty for a number outside the table.
std::wstring_view Text(int entry);
std::wstring_view TextIn(int entry, int language_index);
std::wstring_view Text(const LocalizedString& text);

// A link state caption ("Successful", "Search..", "Suspended" in any language) in the current
// language; nothing for any other caption.
std::optional<std::wstring_view> RelocalizeLinkState(std::wstring_view caption);

// Texts shown outside the table, with their members per language.
namespace extra {
inline constexpr LocalizedString kAboutCaption{{L"关于", L"關於", L"About"}};
inline constexpr LocalizedString kVersionPrefix{{L"软件版本 ", L"軟件版本 ", L"Software version "}};
inline constexpr LocalizedString kParameterFileFilter{
    {L"默认文件(*.PCE)|*.PCE||", L"默認文件(*.PCE)|*.PCE||", L"The default file(*.PCE)|*.PCE||"}};
// The online update refused what it downloaded and deleted it.
inline constexpr LocalizedString kUpdateNotProgram{
    {L"下载的更新不是本机可运行的程序，已删除。", L"下載的更新不是本機可運行的程式，已刪除。",
     L"The downloaded update is not a program for this computer and was deleted."}};
inline constexpr LocalizedString kUpdateNotSigned{{L"下载的更新没有本程序发行者的有效签名，已删除。",
                                                   L"下載的更新沒有本程式發行者的有效簽名，已刪除。",
                                                   L"The downloaded update does not carry a valid signature "
                                                   L"from this program's publisher and was deleted."}};
// The Wi-Fi dialog's check box that unmasks its passwords.
inline constexpr LocalizedString kShowPasswords{{L"显示密码", L"顯示密碼", L"Show passwords"}};
inline constexpr LocalizedString kUpdateNotInThisBuild{
    {L"有新版本可用，但此版本的程序不能在线更新。", L"有新版本可用，但此版本的程式不能線上更新。",
     L"A newer version exists, but updates are not available in this build."}};
inline constexpr LocalizedString kUpdateFolderNotWritable{
    {L"程序所在的文件夹不能写入，无法在线更新。", L"程式所在的資料夾不能寫入，無法線上更新。",
     L"The program's folder cannot be written, so the update cannot be installed."}};
inline constexpr LocalizedString kUpdateFolderName{
    {L"程序所在文件夹的名称无法用于更新，请将程序移到名称简单的文件夹。",
     L"程式所在資料夾的名稱無法用於更新，請將程式移到名稱簡單的資料夾。",
     L"The update cannot run in a folder with this name; move the program to a folder with a plain name."}};
// Refusals of typed text that would otherwise be sent or stored as something else than typed.
inline constexpr LocalizedString kWifiPlainTextOnly{
    {L"SSID和密码只能使用英文字母、数字和符号!", L"SSID和密碼只能使用英文字母、數字和符號!",
     L"SSID and password may only hold English letters, digits and symbols!"}};
inline constexpr LocalizedString kWifiTextTooLong{
    {L"SSID或密码太长!", L"SSID或密碼太長!", L"SSID or password is too long!"}};
inline constexpr LocalizedString kNotAFileName{{L"文件名不能包含路径或 \\ / : * ? \" < > |",
                                                L"文件名不能包含路徑或 \\ / : * ? \" < > |",
                                                L"A file name cannot hold a folder or \\ / : * ? \" < > |"}};
// A control's note when the processor holds a value (the %d) the control cannot show: it shows the nearest.
inline constexpr LocalizedString kDeviceValueOutOfRange{
    {L"设备中的值为 %d，超出此控件的范围：显示的是最接近的值，不会写回设备。",
     L"設備中的值為 %d，超出此控件的範圍：顯示的是最接近的值，不會寫回設備。",
     L"The processor holds %d here, which this control cannot show: the nearest value is shown and nothing "
     L"is written back."}};
// A value box's answer to typed text: refused (the previous value stays) or clamped to the control's range.
inline constexpr LocalizedString kTypedNotANumber{{L"“%ls” 不是数值：保留 %ls。",
                                                   L"「%ls」不是數值：保留 %ls。",
                                                   L"\"%ls\" is not a number: %ls is kept."}};
inline constexpr LocalizedString kTypedClamped{{L"%ls 超出范围 %ls 至 %ls：已设为 %ls。",
                                                L"%ls 超出範圍 %ls 至 %ls：已設為 %ls。",
                                                L"%ls is outside %ls to %ls: set to %ls."}};
// The Wi-Fi dialog's captions: its title, field names, modes and buttons.
// The template's title stays in both Chinese languages.
inline constexpr LocalizedString kWifiTitle{{L"WifiSet", L"WifiSet", L"Wi-Fi Settings"}};
inline constexpr LocalizedString kWifiCurrentIp{{L"当前IP:", L"當前IP:", L"Current IP:"}};
inline constexpr LocalizedString kWifiHotspotName{{L"热点名称:", L"熱點名稱:", L"Hotspot name:"}};
inline constexpr LocalizedString kWifiHotspotPassword{{L"热点密码:", L"熱點密碼:", L"Hotspot password:"}};
inline constexpr LocalizedString kWifiRouterName{{L"路由名称:", L"路由名稱:", L"Router name:"}};
inline constexpr LocalizedString kWifiRouterPassword{{L"路由密码:", L"路由密碼:", L"Router password:"}};
inline constexpr LocalizedString kWifiHotspotMode{{L"热点", L"熱點", L"Hotspot"}};
inline constexpr LocalizedString kWifiRouterMode{{L"路由", L"路由", L"Router"}};
inline constexpr LocalizedString kWifiReadData{{L"读取\n数据", L"讀取\n數據", L"Read\nData"}};
inline constexpr LocalizedString kWifiSetHotspot{{L"热点\n设置", L"熱點\n設置", L"Set\nHotspot"}};
inline constexpr LocalizedString kWifiSetRouter{{L"路由\n设置", L"路由\n設置", L"Set\nRouter"}};
inline constexpr LocalizedString kWifiOk{{L"确定", L"確定", L"OK"}};
// A scene file opened as the processor: the title's note, the message when it cannot be written, why a
// file cannot be opened, and why the device's own scenes, Wi-Fi and the update are off for it.
inline constexpr LocalizedString kTitleReadOnly{{L"只读", L"唯讀", L"read-only"}};
inline constexpr LocalizedString kSceneFileNotWritten{
    {L"无法写入场景文件 %ls，之后的修改只保留在窗口中。\n可以用“保存模式到本地”保存到别的文件。\n\n%ls",
     L"無法寫入場景文件 %ls，之後的修改只保留在視窗中。\n可以用「保存模式到本地」保存到別的文件。\n\n%ls",
     L"The scene file %ls cannot be written: your edits stay in this window only.\nSave them to another file "
     L"with \"Save Mode Local\".\n\n%ls"}};
inline constexpr LocalizedString kSceneFileUnusable{
    {L"无法打开场景文件：\n%ls", L"無法打開場景文件：\n%ls", L"The scene file cannot be opened:\n%ls"}};
inline constexpr LocalizedString kNotForSceneFile{
    {L"打开的是场景文件而不是设备：设备上的模式只存在于设备中。",
     L"打開的是場景文件而不是設備：設備上的模式只存在於設備中。",
     L"A scene file is open, not a processor: the device's scenes exist only on a processor."}};
inline constexpr LocalizedString kWifiNotForSceneFile{
    {L"打开的是场景文件而不是设备：WiFi 只能在设备上设置。",
     L"打開的是場景文件而不是設備：WiFi 只能在設備上設置。",
     L"A scene file is open, not a processor: Wi-Fi is set on a processor."}};
// A served processor refused this program's connection (the server's reason follows).
inline constexpr LocalizedString kServerRefused{
    {L"服务器拒绝连接：\n%ls", L"伺服器拒絕連接：\n%ls", L"The server refused the connection:\n%ls"}};
// Undo, redo and A/B compare: the title area's buttons, their tooltips and the names of the steps.
inline constexpr LocalizedString kUndoButton{{L"撤销", L"撤銷", L"Undo"}};
inline constexpr LocalizedString kRedoButton{{L"重做", L"重做", L"Redo"}};
inline constexpr LocalizedString kUndoTip{
    {L"撤销: %ls (Ctrl+Z)", L"撤銷: %ls (Ctrl+Z)", L"Undo: %ls (Ctrl+Z)"}};
inline constexpr LocalizedString kRedoTip{
    {L"重做: %ls (Ctrl+Y)", L"重做: %ls (Ctrl+Y)", L"Redo: %ls (Ctrl+Y)"}};
inline constexpr LocalizedString kNothingToUndo{
    {L"没有可撤销的操作", L"沒有可撤銷的操作", L"Nothing to undo"}};
inline constexpr LocalizedString kNothingToRedo{
    {L"没有可重做的操作", L"沒有可重做的操作", L"Nothing to redo"}};
inline constexpr LocalizedString kStepEqBand{{L"EQ 第%d段%ls", L"EQ 第%d段%ls", L"EQ band %d %ls"}};
inline constexpr LocalizedString kFieldType{{L"类型", L"類型", L"type"}};
inline constexpr LocalizedString kFieldFrequency{{L"频率", L"頻率", L"frequency"}};
inline constexpr LocalizedString kFieldGain{{L"增益", L"增益", L"gain"}};
inline constexpr LocalizedString kFieldQ{{L"Q值", L"Q值", L"Q"}};
inline constexpr LocalizedString kStepMusicLevel{{L"音乐音量", L"音樂音量", L"Music level"}};
inline constexpr LocalizedString kStepMicLevel{{L"话筒音量", L"話筒音量", L"Mic level"}};
inline constexpr LocalizedString kStepMicBLevel{{L"话筒B音量", L"話筒B音量", L"Mic B level"}};
inline constexpr LocalizedString kStepEffectLevel{{L"效果音量", L"效果音量", L"Effect level"}};
inline constexpr LocalizedString kStepMusicSource{{L"音乐输入", L"音樂輸入", L"Music input"}};
inline constexpr LocalizedString kStepReset{{L"%ls RESET", L"%ls RESET", L"RESET %ls"}};
inline constexpr LocalizedString kStepPasteEq{{L"粘贴EQ %ls", L"粘貼EQ %ls", L"Paste EQ %ls"}};
inline constexpr LocalizedString kStepEqImport{{L"导入EQ %ls", L"導入EQ %ls", L"EQ import %ls"}};
inline constexpr LocalizedString kStepMode{{L"方式切换", L"方式切換", L"Mode change"}};
inline constexpr LocalizedString kStepSceneRecall{{L"调用模式", L"調用模式", L"Scene recall"}};
inline constexpr LocalizedString kStepFileLoad{{L"载入模式文件", L"載入模式文件", L"Scene file load"}};
inline constexpr LocalizedString kStepCompare{{L"A/B 切换", L"A/B 切換", L"A/B switch"}};
inline constexpr LocalizedString kCompareButton{{L"A/B", L"A/B", L"A/B"}};
inline constexpr LocalizedString kCompareKeep{{L"保留", L"保留", L"Keep"}};
inline constexpr LocalizedString kCompareTip{
    {L"A/B 比较 (Ctrl+B)", L"A/B 比較 (Ctrl+B)", L"A/B compare (Ctrl+B)"}};
inline constexpr LocalizedString kCompareLiveTip{{L"正在听 %ls，点击切换 (Ctrl+B)",
                                                  L"正在聽 %ls，點擊切換 (Ctrl+B)",
                                                  L"%ls is live: click to switch (Ctrl+B)"}};
inline constexpr LocalizedString kCompareKeepTip{
    {L"保留正在听的设置，结束比较 (Ctrl+Shift+B)", L"保留正在聽的設置，結束比較 (Ctrl+Shift+B)",
     L"Keep the live settings and end the compare (Ctrl+Shift+B)"}};
inline constexpr LocalizedString kCompareLinkDown{{L"设备未连接，不能切换 A/B。",
                                                   L"設備未連接，不能切換 A/B。",
                                                   L"The processor is not connected: A/B cannot switch."}};
inline constexpr LocalizedString kHistoryCleared{
    {L"已连接另一台设备：撤销记录已清除。", L"已連接另一台設備：撤銷記錄已清除。",
     L"Another processor is connected: the undo history was cleared."}};
// EQ files from and to room-measurement programs: the graph's menu, the file dialogs and the import report.
inline constexpr LocalizedString kEqImportMenu{{L"导入 EQ...", L"匯入 EQ...", L"Import EQ..."}};
inline constexpr LocalizedString kEqExportMenu{{L"导出 EQ...", L"匯出 EQ...", L"Export EQ..."}};
inline constexpr LocalizedString kEqFileFilter{{L"EQ 文本(*.txt)|*.txt|所有文件(*.*)|*.*||",
                                                L"EQ 文字(*.txt)|*.txt|所有檔案(*.*)|*.*||",
                                                L"EQ text(*.txt)|*.txt|All files(*.*)|*.*||"}};
inline constexpr LocalizedString kEqImportTitle{{L"导入 EQ", L"匯入 EQ", L"Import EQ"}};
inline constexpr LocalizedString kEqImportQuestion{
    {L"%ls\n按“确定”将以下频段写入处理器（一次编辑）；按“取消”不写入任何值。",
     L"%ls\n按「確定」將以下頻段寫入處理器（一次編輯）；按「取消」不寫入任何值。",
     L"%ls\nOK writes these bands to the processor as one edit; Cancel writes nothing."}};
inline constexpr LocalizedString kEqCancel{{L"取消", L"取消", L"Cancel"}};
// The import report, a line a band; its English is velactl's report word for word.
inline constexpr LocalizedString kEqReportBand{{L"第 %d 段：%ls（第 %d 行）-> %ls",
                                                L"第 %d 段：%ls（第 %d 行）-> %ls",
                                                L"band %d: %ls (line %d) -> %ls"}};
inline constexpr LocalizedString kEqReportFlat{{L"第 %d 段：文件中没有 -> %ls（平直）",
                                                L"第 %d 段：檔案中沒有 -> %ls（平直）",
                                                L"band %d: not in the list -> %ls (flat)"}};
inline constexpr LocalizedString kEqReportFcClamped{
    {L"（频率已限制在范围内）", L"（頻率已限制在範圍內）", L" (Fc clamped)"}};
inline constexpr LocalizedString kEqReportGainClamped{
    {L"（增益已限制在范围内）", L"（增益已限制在範圍內）", L" (gain clamped)"}};
inline constexpr LocalizedString kEqReportPreamp{{L"前级增益 %ls dB 未应用：请调整本通道的电平",
                                                  L"前級增益 %ls dB 未套用：請調整本通道的電平",
                                                  L"preamp %ls dB not applied: set the strip level"}};
inline constexpr LocalizedString kEqReportDifference{{L"最大偏差 %ls dB（20 Hz - 20 kHz）",
                                                      L"最大偏差 %ls dB（20 Hz - 20 kHz）",
                                                      L"largest difference %ls dB (20 Hz - 20 kHz)"}};
// A refused file (its name, then the line and what was not understood) and an export that failed.
inline constexpr LocalizedString kEqImportRefused{{L"%ls 未导入，未写入任何值：\n%ls",
                                                   L"%ls 未匯入，未寫入任何值：\n%ls",
                                                   L"%ls was not imported; nothing was written:\n%ls"}};
inline constexpr LocalizedString kEqFileUnreadable{{L"%ls 无法读取，未写入任何值。",
                                                    L"%ls 無法讀取，未寫入任何值。",
                                                    L"%ls could not be read; nothing was written."}};
inline constexpr LocalizedString kEqExportFailed{
    {L"EQ 未能写入 %ls。", L"EQ 未能寫入 %ls。", L"The EQ could not be written to %ls."}};
// Scene files anywhere on the computer, through the system's file dialogs, and the questions around them.
inline constexpr LocalizedString kSaveSceneAs{{L"另存为...", L"另存為...", L"Save As..."}};
inline constexpr LocalizedString kOpenSceneFile{{L"打开...", L"打開...", L"Open..."}};
inline constexpr LocalizedString kSceneFileFilter{
    {L"模式文件(*.lub)|*.lub||", L"模式文件(*.lub)|*.lub||", L"Scene files(*.lub)|*.lub||"}};
inline constexpr LocalizedString kConfirmDeleteFile{
    {L"\n将被删除，删除后不能恢复。\n是否删除?", L"\n將被刪除，刪除後不能恢復。\n是否刪除?",
     L"\nwill be deleted. This cannot be undone.\nDelete it?"}};
// %d the scene's number, %ls the name the processor holds for it.
inline constexpr LocalizedString kConfirmOverwriteScene{
    {L"设备模式 %d 已命名为 “%ls”。\n是否覆盖?", L"設備模式 %d 已命名為「%ls」。\n是否覆蓋?",
     L"Device scene %d is named \"%ls\".\nOverwrite it?"}};
inline constexpr LocalizedString kSceneFileLoaded{
    {L"已更新到设备!", L"已更新到設備!", L"Updated to the processor!"}};
// The progress of an undo, a redo or an A/B switch that needs more than one write batch.
inline constexpr LocalizedString kUndoProgress{
    {L"写入设备数据:%5.0f %%", L"寫入設備數據:%5.0f %%", L"Write Device Data:%5.0f %%"}};
}  // namespace extra

// Messages that exist in Chinese only and are shown as they are in every language.
namespace chinese_only {
inline constexpr std::wstring_view kThreadCreateFailed = L"创建串口发送线程失败！";
inline constexpr std::wstring_view kSocketStartFailed = L"建立失败!";
inline constexpr std::wstring_view kSocketVersionWrong = L"版本错误!";
}  // namespace chinese_only

// printf-style formatting of a table text. The formats come from the table, whose members share their
// placeholders, so the arguments match every language. Empty when the format is refused.
template <typename... Args>
std::wstring FormatText(std::wstring_view format, Args... args) {
    const std::wstring terminated(format);
    std::array<wchar_t, 512> buffer{};
    const int n = std::swprintf(buffer.data(), buffer.size(), terminated.c_str(), args...);
    if (n < 0) {
        return {};
    }
    return std::wstring(buffer.data(), static_cast<std::size_t>(n) < buffer.size() ? n : buffer.size() - 1);
}

}  // namespace vela
