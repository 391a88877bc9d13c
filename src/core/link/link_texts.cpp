#include "core/link/link_texts.h"

#include "core/text/strings.h"

namespace vela {

std::wstring LinkTextFor(LinkText text) {
    auto t = [](int entry) { return std::wstring(Text(entry)); };
    switch (text) {
        case LinkText::kThreadFailed:
            return std::wstring(chinese_only::kThreadCreateFailed);
        case LinkText::kEquipmentOccupied:
            return t(str::kEquipmentOccupied);
        case LinkText::kReadDataFailed:
            return t(str::kReadDataFailed);
        case LinkText::kInvocationFailed:
            return t(str::kCallSceneFailed);
        case LinkText::kSaveFailed:
            return t(str::kSaveFailed);
        case LinkText::kSaveSuccessfully:
            return t(str::kSaveSuccessful);
        case LinkText::kEnterFileName:
            return t(str::kEnterFileName);
        case LinkText::kNoFiles:
            return t(str::kNoFilesTransfer);
        case LinkText::kWrongFileVersion:
            return t(str::kWrongFileVersion);
        case LinkText::kWriteDataFailed:
            return t(str::kWriteDataFailed);
        case LinkText::kReadDeviceData:
            return t(str::kReadDeviceData);
        case LinkText::kUpdateDisplayData:
            return t(str::kUpdateDisplayData);
        case LinkText::kUpdateSceneData:
            return t(str::kUpdateSceneData);
        case LinkText::kCall:
            return t(str::kCallScene) + L"...";
        case LinkText::kUpdateSuccessfully:
            return std::wstring(Text(extra::kSceneFileLoaded));
    }
    return {};
}

}  // namespace vela
