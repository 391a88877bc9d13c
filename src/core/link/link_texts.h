// The texts the link shows: messages and progress formats, in the current language.
#pragma once

#include <string>

namespace vela {

enum class LinkText {
    kThreadFailed,  // creating the worker failed (exists only in Chinese)
    kEquipmentOccupied,
    kReadDataFailed,
    kInvocationFailed,  // call scene not acknowledged
    kSaveFailed,
    kSaveSuccessfully,
    kEnterFileName,
    kNoFiles,
    kWrongFileVersion,
    kWriteDataFailed,
    kReadDeviceData,  // progress formats, one %f placeholder
    kUpdateDisplayData,
    kUpdateSceneData,
    kCall,
    kUpdateSuccessfully,  // a scene file was written into the processor whole
};

std::wstring LinkTextFor(LinkText text);

}  // namespace vela
