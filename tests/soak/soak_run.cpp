#include "soak_run.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <d3dx9.h>

#include "argument_kinds.h"
#include "command_call.h"
#include "fault_report.h"
#include "plugin_heap.h"
#include "random_arguments.h"
#include "ref_host.h"
#include "soak_scene.h"
#include "typed_command.h"

namespace {

// Every command is called with the most values any row takes, as the script runner calls it (see
// command_call.h): a command that takes fewer reads its own and ignores the rest.
using CallValues = uint32_t[script::kMostCommandValues];

class Soak {
public:
    Soak(const refhost::LoadedPlugin& plugin, const SoakOptions& options)
        : plugin_(plugin), options_(options)
    {
        values_.random.seed(options.seed);
        values_.saveFolder = std::filesystem::temp_directory_path() / "ryxo_soak";
        std::filesystem::create_directories(values_.saveFolder);
    }
    ~Soak() { std::filesystem::remove_all(values_.saveFolder); }

    void BuildScene();
    SoakFigures Run(const std::function<void()>& afterFrame);

private:
    void Remember(const refhost::CommandEntry& command, const CallValues& args, int result);
    void ReleaseTexturesHandedOut(const CallValues& args);
    void LoseDevice();
    void DeleteOrRestoreHostThings();
    void RenderFrame();
    void DeleteEverything();
    static LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception);
    static void ReportAbort(int signal);
    void PrintLastCalls() const;

    const refhost::LoadedPlugin& plugin_;
    SoakOptions options_;
    ArgumentSource values_;
    int callIndex_ = 0;
    std::deque<std::string> lastCalls_;
    SoakFigures figures_;

    static Soak* running_;
};

Soak* Soak::running_ = nullptr;

void Soak::BuildScene()
{
    for (ID3DXEffect* effect : BuildSoakHostScene()) {
        values_.pools.effects.push_back(effect);
        std::vector<D3DXHANDLE> handles;
        D3DXEFFECT_DESC desc{};
        effect->GetDesc(&desc);
        for (UINT p = 0; p < desc.Parameters; ++p) {
            D3DXHANDLE handle = effect->GetParameter(nullptr, p);
            handles.push_back(handle);
            if (D3DXHANDLE element = effect->GetParameterElement(handle, 0))
                handles.push_back(element);
            D3DXPARAMETER_DESC parameter{};
            if (SUCCEEDED(effect->GetParameterDesc(handle, &parameter)) && parameter.Name)
                values_.pools.names.push_back(parameter.Name);
        }
        for (UINT t = 0; t < desc.Techniques; ++t) {
            D3DXHANDLE technique = effect->GetTechnique(t);
            handles.push_back(technique);
            D3DXTECHNIQUE_DESC techniqueDesc{};
            if (SUCCEEDED(effect->GetTechniqueDesc(technique, &techniqueDesc)) && techniqueDesc.Name)
                values_.pools.names.push_back(techniqueDesc.Name);
        }
        values_.pools.effectHandles.push_back(handles);
    }
    for (int object = 1; object <= kSoakObjects; ++object)
        values_.pools.liveObjects.push_back(object);
    for (int image = 1; image <= kSoakImages; ++image)
        values_.pools.liveImages.push_back(image);
}

void Soak::Remember(const refhost::CommandEntry& command, const CallValues& args, int result)
{
    auto erase = [](std::vector<int>& from, int value) {
        auto found = std::find(from.begin(), from.end(), value);
        if (found == from.end())
            return false;
        from.erase(found);
        return true;
    };
    const std::string& name = command.exportName;
    const int first = static_cast<int>(args[0]);
    if (name == "GeoInst_MakeNew" && result != 0)
        values_.pools.liveSets.push_back(result);
    else if (name == "GeoInst_Delete" && erase(values_.pools.liveSets, first))
        values_.pools.staleSets.push_back(first);
    else if ((name == "CubeTex_MakeNew" || name == "CubeTex_MakeNewFormat") && result != 0)
        values_.pools.liveCubes.push_back(result);
    else if (name == "CubeTex_Delete" && erase(values_.pools.liveCubes, first))
        values_.pools.staleCubes.push_back(first);
}

// Reading a texture or shader parameter's value hands the script a reference to every object in it,
// which the script then owns; a sound script releases them, or the objects would outlive their deletion.
void Soak::ReleaseTexturesHandedOut(const CallValues& args)
{
    auto* effect = reinterpret_cast<ID3DXEffect*>(static_cast<uintptr_t>(args[0]));
    auto handle = reinterpret_cast<D3DXHANDLE>(static_cast<uintptr_t>(args[1]));
    auto* values = reinterpret_cast<IUnknown**>(static_cast<uintptr_t>(args[2]));
    D3DXPARAMETER_DESC desc{};
    if (!effect || !handle || !values || FAILED(effect->GetParameterDesc(handle, &desc)))
        return;
    const bool holdsObjects = (desc.Type >= D3DXPT_TEXTURE && desc.Type <= D3DXPT_TEXTURECUBE) ||
                              desc.Type == D3DXPT_PIXELSHADER || desc.Type == D3DXPT_VERTEXSHADER;
    if (!holdsObjects || args[3] < desc.Bytes)
        return;
    for (UINT i = 0; i < std::max<UINT>(desc.Elements, 1); ++i) {
        if (values[i])
            values[i]->Release();
        values[i] = nullptr;
    }
}

void Soak::RenderFrame()
{
    refhost::FastSync();
    if (const auto sync = FIND_COMMAND(plugin_, EfxCam_Sync))
        sync();
    ++figures_.frames;
}

void Soak::LoseDevice()
{
    if (auto lost = refhost::ExportAs<void(__cdecl*)()>(plugin_, "?D3DDeviceLost@@YAXXZ"))
        lost();
    // Every handle the script held is stale now.
    values_.pools.staleSets.insert(values_.pools.staleSets.end(), values_.pools.liveSets.begin(), values_.pools.liveSets.end());
    values_.pools.liveSets.clear();
    values_.pools.staleCubes.insert(values_.pools.staleCubes.end(), values_.pools.liveCubes.begin(), values_.pools.liveCubes.end());
    values_.pools.liveCubes.clear();
    ++figures_.deviceLosses;
}

void Soak::DeleteOrRestoreHostThings()
{
    // An object or image the script still names is deleted by the host; one deleted earlier comes
    // back under its old number.
    if (!values_.pools.deletedObjects.empty() && Percent(values_) < 50) {
        int object = values_.pools.deletedObjects.back();
        values_.pools.deletedObjects.pop_back();
        MakeSoakObject(object, 1 + object % 2);
        values_.pools.liveObjects.push_back(object);
    } else if (values_.pools.liveObjects.size() > 1) {
        size_t at = Uniform(values_, values_.pools.liveObjects.size());
        refhost::DeleteObject(values_.pools.liveObjects[at]);
        values_.pools.deletedObjects.push_back(values_.pools.liveObjects[at]);
        values_.pools.liveObjects.erase(values_.pools.liveObjects.begin() + static_cast<ptrdiff_t>(at));
    }
    if (!values_.pools.deletedImages.empty() && Percent(values_) < 50) {
        int image = values_.pools.deletedImages.back();
        values_.pools.deletedImages.pop_back();
        refhost::MakeImage(image, 64, 64, 0xFF808080u);
        values_.pools.liveImages.push_back(image);
    } else if (values_.pools.liveImages.size() > 1) {
        // Image 1 is shown by the host's own objects, which would draw a deleted texture: the host
        // never deletes an image its objects still show.
        size_t at = 1 + Uniform(values_, values_.pools.liveImages.size() - 1);
        refhost::DeleteImage(values_.pools.liveImages[at]);
        values_.pools.deletedImages.push_back(values_.pools.liveImages[at]);
        values_.pools.liveImages.erase(values_.pools.liveImages.begin() + static_cast<ptrdiff_t>(at));
    }
    ++figures_.hostDeletions;
}

void Soak::DeleteEverything()
{
    const auto deleteSet = FIND_COMMAND(plugin_, GeoInst_Delete);
    const auto deleteCube = FIND_COMMAND(plugin_, CubeTex_Delete);
    const auto deleteCamera = FIND_COMMAND(plugin_, EfxCam_Delete);
    for (int set : values_.pools.liveSets)
        deleteSet(set);
    for (int cube : values_.pools.liveCubes)
        deleteCube(cube);
    for (int camera = 0; camera < 32; ++camera)
        deleteCamera(camera);
    values_.pools.liveSets.clear();
    values_.pools.liveCubes.clear();
}

void Soak::PrintLastCalls() const
{
    const PluginHeapFigures heap = PluginHeap();
    std::fprintf(stderr, "  (%llu of the plugin's %llu allocations refused so far) Last calls:\n",
                 static_cast<unsigned long long>(heap.failed), static_cast<unsigned long long>(heap.allocations));
    for (const std::string& call : lastCalls_)
        std::fprintf(stderr, "  %s\n", call.c_str());
    for (const PluginHeapBlock& refused : LastRefusedPluginAllocations()) {
        std::fprintf(stderr, "  refused allocation %llu of %zu bytes:\n", static_cast<unsigned long long>(refused.serial),
                     refused.bytes);
        PrintCodeAddress("asked for by", refused.caller);
    }
}

LONG WINAPI Soak::ReportCrash(EXCEPTION_POINTERS* exception)
{
    if (Soak* soak = running_) {
        std::fprintf(stderr, "soak: exception 0x%08lx at call %d of seed %u; replay with RYXO_SOAK_SEED=%u.\n",
                     exception->ExceptionRecord->ExceptionCode, soak->callIndex_, soak->options_.seed,
                     soak->options_.seed);
        soak->PrintLastCalls();
        PrintCodeOnStack(*exception->ContextRecord);
        std::fflush(stderr);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// std::terminate ends in abort: an exception left an export.
void Soak::ReportAbort(int)
{
    if (Soak* soak = running_) {
        std::fprintf(stderr, "soak: abort (std::terminate: an exception left an export?) at call %d of seed %u.\n",
                     soak->callIndex_, soak->options_.seed);
        soak->PrintLastCalls();
        CONTEXT context{};
        RtlCaptureContext(&context);
        PrintCodeOnStack(context);
        std::fflush(stderr);
    }
}

SoakFigures Soak::Run(const std::function<void()>& afterFrame)
{
    std::vector<const refhost::CommandEntry*> commands;
    auto chosen = [&](const std::string& name) {
        bool anyIncluded = false, included = false;
        for (const std::string& prefix : options_.exports) {
            const bool leftOut = prefix[0] == '-';
            const std::string start = leftOut ? prefix.substr(1) : prefix;
            if (name.compare(0, start.size(), start) == 0) {
                if (leftOut)
                    return false;
                included = true;
            }
            anyIncluded = anyIncluded || !leftOut;
        }
        return included || !anyIncluded;
    };
    for (const refhost::CommandEntry& entry : plugin_.commands)
        if (chosen(entry.exportName))
            commands.push_back(&entry);
    if (commands.empty())
        return figures_;
    running_ = this;
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(ReportCrash);
    auto previousAbort = std::signal(SIGABRT, ReportAbort);
    const uint64_t allocationsBefore = PluginHeap().allocations;
    const uint64_t failedBefore = PluginHeap().failed;
    if (options_.allocationFailurePercent > 0)
        FailPluginAllocationsAtRate(options_.allocationFailurePercent, options_.seed);

    for (callIndex_ = 0; callIndex_ < options_.calls; ++callIndex_) {
        const refhost::CommandEntry& command = *commands[Uniform(values_, commands.size())];
        // The parameter letters: with a result the first letter is the result's type.
        std::string letters = command.types == "0" ? "" : command.types;
        if (command.returnsValue && !letters.empty())
            letters.erase(0, 1);
        CallValues args{};
        int callEffect = -1;
        for (size_t i = 0; i < letters.size() && i < std::size(args); ++i) {
            ArgumentKind kind = KindOf(command.exportName, static_cast<int>(i), letters[i]);
            args[i] = DrawArgument(values_, kind, callEffect);
            if (kind == ArgumentKind::Effect) {
                auto found = std::find(values_.pools.effects.begin(), values_.pools.effects.end(),
                                       reinterpret_cast<ID3DXEffect*>(static_cast<uintptr_t>(args[i])));
                callEffect = found == values_.pools.effects.end() ? -1 : static_cast<int>(found - values_.pools.effects.begin());
            }
        }
        std::string call = command.exportName + "(";
        for (size_t i = 0; i < letters.size(); ++i)
            call += (i ? ", 0x" : "0x") + [&] { char b[16]; std::snprintf(b, sizeof b, "%08x", args[i]); return std::string(b); }();
        lastCalls_.push_back(std::to_string(callIndex_) + ": " + call + ")");
        if (lastCalls_.size() > 12)
            lastCalls_.pop_front();

        const int result = static_cast<int>(script::CallCommandExport(command.function, args));
        if (options_.validateHeapsFrom >= 0 && callIndex_ >= options_.validateHeapsFrom && !EveryHeapIsSound()) {
            std::fprintf(stderr, "soak: a heap is damaged after call %s\n", lastCalls_.back().c_str());
            std::fflush(stderr);
            std::abort();
        }
        Remember(command, args, result);
        if (command.exportName == "Shader_GetValue")
            ReleaseTexturesHandedOut(args);
        values_.texts.clear();

        const int done = callIndex_ + 1;
        if (done % options_.callsPerFrame == 0) {
            RenderFrame();
            afterFrame();
        }
        if (done % options_.callsPerHostDeletion == 0)
            DeleteOrRestoreHostThings();
        if (done % options_.callsPerDeviceLoss == 0)
            LoseDevice();
    }
    figures_.calls = options_.calls;
    FailNoPluginAllocation();
    figures_.allocations = PluginHeap().allocations - allocationsBefore;
    figures_.failedAllocations = PluginHeap().failed - failedBefore;
    DeleteEverything();
    std::signal(SIGABRT, previousAbort);
    SetUnhandledExceptionFilter(previous);
    running_ = nullptr;
    return figures_;
}

} // namespace

SoakFigures RunSoak(const refhost::LoadedPlugin& plugin, const SoakOptions& options,
                    const std::function<void()>& afterFrame)
{
    Soak soak(plugin, options);
    soak.BuildScene();
    return soak.Run(afterFrame);
}

