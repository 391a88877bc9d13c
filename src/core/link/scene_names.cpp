#include "core/link/scene_names.h"

namespace vela {

void SceneNameTable::Store(int slot, std::wstring_view name) {
    if (!Valid(slot)) {
        return;
    }
    std::wstring text(name.substr(0, kSceneNameLength));
    // A name ends at its first terminator, like the zero-filled slot it stands for.
    if (const auto nul = text.find(L'\0'); nul != std::wstring::npos) {
        text.resize(nul);
    }
    {
        std::lock_guard lock(mutex_);
        names_[static_cast<std::size_t>(slot)].swap(text);
    }
    received_[static_cast<std::size_t>(slot)].store(true);
}

std::wstring SceneNameTable::Name(int slot) const {
    if (!Valid(slot)) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return names_[static_cast<std::size_t>(slot)];
}

bool SceneNameTable::NameReceived(int slot) const {
    return Valid(slot) && received_[static_cast<std::size_t>(slot)].load();
}

void SceneNameTable::ClearNameReceived(int slot) {
    if (Valid(slot)) {
        received_[static_cast<std::size_t>(slot)].store(false);
    }
}

void SceneNameTable::Clear() {
    std::lock_guard lock(mutex_);
    for (int s = 0; s < kSceneSlots; ++s) {
        names_[static_cast<std::size_t>(s)].clear();
        received_[static_cast<std::size_t>(s)].store(false);
    }
}

}  // namespace vela
