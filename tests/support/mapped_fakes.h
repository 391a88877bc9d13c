// The parameter map over a fake of every page and main-window control, on a link of its own: what the
// map's tests and the history's tests stand on.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "core/link/device_link.h"
#include "core/model/parameter_map.h"
#include "support/link_fakes.h"
#include "support/page_fakes.h"

namespace vela::testing {

struct MappedFakes {
    ManualClock clock;
    Latin1CodePage code_page;
    DeviceLink link{clock, code_page};
    std::array<FakeCodePage, layout::kStripCount> outputs;
    FakeCodePage music, mic, echo, reverb, system;
    FakeFaders faders;
    FakeSourceSelector source;
    FakeModeButtons mode;
    RecordingMessages messages;
    ParameterMap map{link, Controls()};

    MappedControls Controls() {
        MappedControls c;
        for (std::size_t i = 0; i < outputs.size(); ++i)
            c.outputs[i] = &outputs[i];
        c.music = &music;
        c.mic = &mic;
        c.echo = &echo;
        c.reverb = &reverb;
        c.system = &system;
        c.faders = &faders;
        c.source = &source;
        c.mode = &mode;
        c.messages = &messages;
        return c;
    }
    // The table entries marked for sending.
    std::vector<std::size_t> Dirty() const {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            if (link.Table().IsDirty(i))
                out.push_back(i);
        }
        return out;
    }
};

}  // namespace vela::testing
