// What the main window says while it closes: the link-state caption while the last edits go out, and the
// questions asked when some of them could not be sent (%d how many) or the scene file opened as the
// device could not take them (its name, then the reason).
#pragma once

#include "core/text/strings.h"

namespace vela::extra {

inline constexpr LocalizedString kSendingBeforeClose{{L"正在发送...", L"正在發送...", L"Sending..."}};
inline constexpr LocalizedString kEditsNotSentAtClose{
    {L"有 %d "
     L"项修改没有发送到设备（设备未连接、已暂停或没有应答）。\n仍然退出吗？选择“否”保留窗口和这些修改。",
     L"有 %d "
     L"項修改沒有發送到設備（設備未連接、已暫停或沒有應答）。\n仍然退出嗎？選擇「否」保留視窗和這些修改。",
     L"%d change(s) did not reach the processor (not connected, suspended or not answering).\nClose anyway? "
     L"Choose No to keep the window and these changes."}};
inline constexpr LocalizedString kFileNotWrittenAtClose{
    {L"无法写入场景文件 "
     L"%ls，最近的修改不在文件中。\n%ls\n\n仍然退出吗？选择“否”保留窗口，可以用“保存模式到本地”"
     L"保存到别的文件。",
     L"無法寫入場景文件 "
     L"%ls，最近的修改不在文件中。\n%ls\n\n仍然退出嗎？選擇「否」保留視窗，可以用「保存模式到本地」"
     L"保存到別的文件。",
     L"The scene file %ls cannot be written: your latest changes are not in it.\n%ls\n\nClose anyway? Choose "
     L"No to keep the window open and save them to another file with \"Save Mode Local\"."}};

}  // namespace vela::extra
