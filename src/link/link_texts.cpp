#include "link/link_texts.h"

namespace vela {

std::wstring LinkTextFor(LinkText text) {
    switch (text) {
        case LinkText::kThreadFailed: return L"创建串口发送线程失败！";
        case LinkText::kEquipmentOccupied: return L"Equipment occupied!";
        case LinkText::kReadDataFailed: return L"Read Data Failed!";
        case LinkText::kInvocationFailed: return L"Invocation pattern of failure!";
        case LinkText::kSaveFailed: return L"Save Failed!";
        case LinkText::kSaveSuccessfully: return L"Save successfully!";
        case LinkText::kEnterFileName: return L"Please enter the file name!";
        case LinkText::kNoFiles: return L"No files。";
        case LinkText::kWrongFileVersion: return L"Wrong file version。";
        case LinkText::kWriteDataFailed: return L"Write Data Failed!";
        case LinkText::kReadDeviceData: return L"Read Device Data:%5.0f %%";
        case LinkText::kUpdateDisplayData: return L"Update Display Data:%5.0f %%";
        case LinkText::kUpdateSceneData: return L"Update Scene Data:%5.0f %%";
        case LinkText::kCall: return L"Call...";
    }
    return {};
}

}  // namespace vela
