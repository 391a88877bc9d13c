// velactl's commands on scenes and scene files: save, load, import, scene, settings and diff.
#include <algorithm>

#include "cli/velactl_cli.h"
#include "core/model/parameter_layout.h"
#include "core/text/strings.h"

namespace vela::cli {

namespace {

bool HasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

// The characters of a UTF-8 text that the device's code page cannot hold, or empty.
std::string CharactersTheCodePageLoses(const std::string& utf8) {
    std::string lost;
    for (const wchar_t c : FromUtf8(utf8)) {
        const std::wstring one(1, c);
        const std::string bytes = SystemCodePage().FromWide(one);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        std::string named = "\"";
        named += ToUtf8(one);
        named += "\" (";
        named += code;
        named += ")";
        if (SystemCodePage().ToWide(std::span(data, bytes.size())) != one &&
            lost.find(named) == std::string::npos) {
            lost += lost.empty() ? "" : ", ";
            lost += named;
        }
    }
    return lost;
}

// A scene's name as the device stores it; empty on success, else why it cannot.
std::string SceneName(const std::string& utf8, std::string& ansi) {
    if (HasControlCharacter(utf8))
        return "a scene name has no line breaks or other control characters";
    if (const std::string lost = CharactersTheCodePageLoses(utf8); !lost.empty())
        return "the device cannot store these characters of the scene name: " + lost;
    ansi = SystemCodePage().FromWide(FromUtf8(utf8));
    if (ansi.empty())
        return "a scene name needs at least one character";
    if (ansi.size() > kSceneNameStored)
        return "the scene name " + utf8 + " is longer than the device keeps (" +
               std::to_string(kSceneNameStored) + " bytes)";
    return {};
}

}  // namespace

std::string ParseScene(const std::vector<std::string>& args, SceneCommand& command) {
    if (args.empty())
        return "scene needs list, call N or save N NAME";
    command.what = args[0];
    if (command.what == "call" || command.what == "save") {
        if (args.size() != (command.what == "call" ? 2u : 3u))
            return "scene " + command.what + (command.what == "call" ? " needs N" : " needs N NAME");
        const auto n = ParseNumber(args[1]);
        if (!n || *n < 1 || *n > kSceneSlots)
            return "scene numbers are 1..8, not " + args[1];
        command.number = static_cast<int>(*n);
        return command.what == "save" ? SceneName(args[2], command.ansi_name) : std::string();
    }
    if (command.what != "list" || args.size() != 1)
        return "scene needs list, call N or save N NAME";
    return {};
}

int Cli::Save() {
    if (options_.args.size() != 1)
        return Usage("save needs one FILE");
    const std::string& file = options_.args[0];
    const bool to_stdout = file == "-";
    const auto path = std::filesystem::u8path(file);
    // Refused before the device is touched: a save that can only fail costs the user a whole read.
    if (!to_stdout) {
        if (const FileResult target = CZB_FileData::CheckSceneTarget(path); !target.Ok()) {
            return FileFailure(target);
        }
    }
    // Saving to a file reads the whole device itself: reading it first as well took twice as long.
    if (const Outcome o = Open(to_stdout ? Path::kFull : Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    if (to_stdout) {
        // The table was read whole just now.
        const auto& t = session_->Link().Table();
        std::vector<std::uint32_t> values(kParameterCount);
        for (std::size_t i = 0; i < kParameterCount; ++i)
            values[i] = t.Value(i);
        CZB_FileData scene;
        scene.device_id = session_->Link().State().device_id.load();
        const auto bytes = scene.EncodeScene(values);
        out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return kExitOk;
    }
    auto& controller = session_->Controller();
    controller.SetScenePath(path);
    host_->SetActivity("saving the device to " + file);
    if (const Outcome o = session_->Request(request::kSaveToFile); !o.Ok()) {
        return Fail(o);
    }
    if (host_->Shown(LinkTextFor(LinkText::kReadDataFailed))) {
        return Fail(kExitNoDevice, "the device could not be read whole; nothing was saved");
    }
    if (const FileResult r = controller.LastFileResult(); !r.Ok()) {
        return FileFailure(r);
    }
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Load(bool import) {
    if (options_.args.size() != 1)
        return Usage(import ? "import needs one FILE" : "load needs one FILE");
    const std::string& file = options_.args[0];
    // The file is checked before any device is touched, so a bad file never reaches it.
    CZB_FileData check;
    const auto path = std::filesystem::u8path(file);
    if (const FileResult r = check.LoadScene(path); !r.Ok()) {
        return FileFailure(r);
    }
    // A load writes the file's values and waits for each acknowledgement; the device's old values are
    // not needed for that.
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    auto& controller = session_->Controller();
    const std::uint32_t device_id = DeviceId();
    if (check.device_id != device_id) {
        return Fail(kExitFailed, file + ": saved from device " + Hex4(check.device_id) +
                                     ", this processor is " + Hex4(device_id) + "; nothing was loaded");
    }
    controller.SetScenePath(path);
    host_->SetActivity((import ? "importing " : "loading ") + file + " into the device");
    Outcome o;
    if (import) {
        std::vector<std::uint16_t> selection;
        for (std::uint16_t i = kLocalPresetFirst; i <= kLocalPresetLast; ++i)
            selection.push_back(i);
        controller.SetSelection(std::move(selection));
        o = session_->Request(request::kLoadSelection);
        if (o.Ok() && !host_->Shown(LinkTextFor(LinkText::kWrongFileVersion))) {
            o = session_->Request(request::kSaveSettings);
        }
    } else {
        o = session_->Request(request::kLoadFile);
    }
    return LoadReply(o, file, import);
}

int Cli::LoadReply(const Outcome& o, const std::string& file, bool import) {
    if (!o.Ok()) {
        if (o.code != kExitNoDevice)
            return Fail(o);
        // velactl ends here: what was not acknowledged by now is not sent by anyone.
        std::size_t unsent = 0;
        for (std::size_t i = 0; i < kParameterCount; ++i)
            unsent += session_->Link().Table().IsDirty(i) ? 1 : 0;
        return Fail(o.code, o.message + "; the device holds part of " + file + " (" + std::to_string(unsent) +
                                " values were not acknowledged) and nothing more will be sent: " +
                                (import ? "import" : "load") + " it again");
    }
    if (const FileResult r = session_->Controller().LastFileResult(); !r.Ok()) {
        return FileFailure(r);
    }
    return CheckMessages({{LinkText::kWrongFileVersion, kExitFailed},
                          {LinkText::kWriteDataFailed, kExitNoDevice},
                          {LinkText::kReadDataFailed, kExitNoDevice},
                          {LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Scene() {
    SceneCommand command;
    if (const std::string error = ParseScene(options_.args, command); !error.empty())
        return Usage(error);
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    return RunScene(command);
}

int Cli::RunScene(const SceneCommand& command, int line) {
    if (command.what == "list")
        return ListScenes(line);
    // A scene file holds one table and none of a device's scenes: a call would copy the virtual processor's
    // stock scene into the file, a save would keep the scene nowhere.
    if (spec_.kind == DeviceSpec::Kind::kFile)
        return Fail(kExitFile, spec_.path + " is a scene file, not a processor: it has no device scenes to " +
                                   command.what + "; nothing was written");
    auto& t = session_->Link().Table();
    if (command.what == "call") {
        host_->SetActivity("calling scene " + std::to_string(command.number));
        t.WriteParameter(param::kSceneSelector, Word(0, static_cast<std::uint8_t>(command.number)), false);
        if (const Outcome o = session_->Request(request::kCallScene); !o.Ok())
            return Fail(o);
        return CheckMessages(
            {{LinkText::kInvocationFailed, kExitFailed}, {LinkText::kReadDataFailed, kExitNoDevice}});
    }
    host_->SetActivity("saving scene " + std::to_string(command.number));
    session_->Controller().SetSceneNameBuffer(command.ansi_name);
    t.WriteParameter(param::kSceneSelector, Word(kSceneOpSave, static_cast<std::uint8_t>(command.number)),
                     false);
    if (const Outcome o = session_->Request(request::kSaveScene); !o.Ok())
        return Fail(o);
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

int Cli::ListScenes(int line) {
    auto& link = session_->Link();
    auto& t = link.Table();
    host_->SetActivity("reading the scene names");
    // Asked one by one: on the light path nothing has read them yet.
    const int limit = std::clamp<int>(static_cast<int>(link.State().scene_limit.load()), 1, kSceneSlots);
    for (int n = 1; n <= limit; ++n) {
        t.WriteParameter(param::kSceneSelector, Word(0, static_cast<std::uint8_t>(n)), false);
        link.SceneNames().ClearNameReceived(n - 1);
        if (const Outcome o = session_->Request(request::kSceneName); !o.Ok())
            return Fail(o);
    }
    Outcome o;
    if (!session_->ReadValues({param::kCurrentScene}, o).empty() || !o.Ok())
        return Fail(o.Ok() ? Outcome{kExitNoDevice, "the device did not say which scene is current"} : o);
    SceneListReport report{line, t.Value(param::kCurrentScene) & 0xFF, {}};
    for (int n = 1; n <= limit; ++n) {
        if (link.SceneNames().NameReceived(n - 1))
            report.names.emplace_back(ToUtf8(link.SceneNames().Name(n - 1)));
        else
            report.names.emplace_back();
    }
    Writer().Print(report);
    return kExitOk;
}

int Cli::Settings() {
    if (options_.args.size() != 1 || options_.args[0] != "save")
        return Usage("settings takes: save");
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    if (const Outcome o = session_->Request(request::kSaveSettings); !o.Ok()) {
        return Fail(o);
    }
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

namespace {

// The parameters that differ; `wanted` per index: 0 not compared, 1 by index, 2 by name. Values past the
// table are compared when every parameter is.
std::vector<DiffReport::Row> DifferingRows(const std::vector<std::uint32_t>& a,
                                           const std::vector<std::uint32_t>& b,
                                           const std::vector<int>& wanted, bool all) {
    std::vector<DiffReport::Row> rows;
    const std::size_t count = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < count; ++i) {
        const bool in_a = i < a.size();
        const bool in_b = i < b.size();
        if (!(i >= kParameterCount ? all : wanted[i] != 0) || (in_a == in_b && (!in_a || a[i] == b[i])))
            continue;
        DiffReport::Row row;
        row.index = i;
        if (in_a)
            row.a = a[i];
        if (in_b)
            row.b = b[i];
        row.by_name = i < kParameterCount && wanted[i] == 2;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

int Cli::Diff() {
    if (options_.args.empty())
        return Usage("diff needs A.lub [B.lub] [PARAM...]");
    // Files first (one or two), then the parameters to compare, if any.
    const auto& given = options_.args;
    const std::size_t files = given.size() > 1 && LooksLikeFile(given[1]) ? 2 : 1;
    std::vector<ParamArg> params;
    if (files < given.size()) {
        const std::vector<std::string> rest(given.begin() + static_cast<long>(files), given.end());
        if (const std::string error = ParseParamArgs(rest, params); !error.empty())
            return Usage(error);
    }
    // A file holds both banks: a name of an output strip means the bank --bank names, else Sing.
    const auto asked =
        Resolve(params, options_.bank == std::optional<std::string>("dance") ? catalogue::Bank::kDance
                                                                             : catalogue::Bank::kSing);
    std::vector<int> wanted(kParameterCount, params.empty() ? 1 : 0);
    for (const auto& a : asked)
        wanted[a.index] = a.by_name ? 2 : std::max(wanted[a.index], 1);
    CZB_FileData a;
    if (const FileResult r = a.LoadScene(std::filesystem::u8path(given[0])); !r.Ok())
        return FileFailure(r);
    DiffReport report;
    report.a_name = given[0];
    report.a_device_id = a.device_id;
    std::vector<std::uint32_t> b_values;
    if (files == 2) {
        CZB_FileData b;
        if (const FileResult r = b.LoadScene(std::filesystem::u8path(given[1])); !r.Ok())
            return FileFailure(r);
        b_values = b.Values();
        report.b_device_id = b.device_id;
        report.b_name = given[1];
    } else {
        if (const int status = ReadDeviceTable(b_values); status != kExitOk)
            return status;
        report.b_device_id = DeviceId();
        report.b_name = ToString(spec_);
    }
    if (a.device_id != report.b_device_id) {
        err_ << "velactl: note: " << given[0] << " is from device " << Hex4(a.device_id) << ", "
             << report.b_name << " from " << Hex4(report.b_device_id) << std::endl;
    }
    report.rows = DifferingRows(a.Values(), b_values, wanted, params.empty());
    Writer().Print(report);
    return report.rows.empty() ? kExitOk : kExitDiffer;
}

}  // namespace vela::cli
