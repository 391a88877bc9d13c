// Arbitrary bytes as a scene file: decoding must never read past the content, and whatever it accepts
// must hold exactly the values its header announces.
#include <cstdlib>

#include "core/files/file_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vela::CZB_FileData file(vela::FileLocations{".", ""});
    if (file.DecodeScene(std::span(data, size)).Ok() && file.Values().size() != file.ValueCount()) {
        std::abort();
    }
    return 0;
}
