#include "soak_run.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <d3dx9.h>

#include "argument_kinds.h"
#include "effect_creation.h"
#include "effect_library.h"
#include "export_values.h"
#include "plugin_heap.h"
#include "ref_host.h"

namespace {

constexpr int kMaxArguments = 18;
constexpr int kObjects = 6;
constexpr int kImages = 3;
constexpr size_t kScriptMemoryBytes = 64 * 1024;
constexpr size_t kAddressListEntries = 4096;

// Every command is called with 18 32-bit stack arguments: cdecl leaves the stack to the caller, so
// a command that takes fewer simply ignores the rest, exactly as when the host calls it.
using AnyCommand = int(__cdecl*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                 uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                 uint32_t, uint32_t);

int CallCommand(FARPROC function, const std::array<uint32_t, kMaxArguments>& a)
{
    auto command = reinterpret_cast<AnyCommand>(reinterpret_cast<void*>(function));
    return command(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12], a[13], a[14],
                   a[15], a[16], a[17]);
}

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// Memory the script owns: big enough for any value an effect reads or writes at one address, and a
// list of addresses into it for the pointer-array commands.
struct ScriptMemory {
    alignas(16) std::array<std::byte, kScriptMemoryBytes> block{};
    alignas(16) std::array<std::byte, kScriptMemoryBytes> zeros{};
    std::array<uint32_t, kAddressListEntries> addresses{};

    ScriptMemory()
    {
        for (size_t i = 0; i < addresses.size(); ++i)
            addresses[i] = Address(block.data() + (i * 16) % (kScriptMemoryBytes - 8192));
    }
};

struct Pools {
    std::vector<int> liveSets, staleSets, liveCubes, staleCubes;
    std::vector<int> liveObjects, deletedObjects, liveImages, deletedImages;
    std::vector<ID3DXEffect*> effects;                 // held by the host's effect records
    std::vector<std::vector<D3DXHANDLE>> effectHandles; // parameters, elements and techniques of each
    std::vector<std::string> names;                    // parameter and technique names
};

class Soak {
public:
    Soak(const refhost::LoadedPlugin& plugin, const SoakOptions& options)
        : plugin_(plugin), options_(options), random_(options.seed)
    {
        saveFolder_ = std::filesystem::temp_directory_path() / "ryxo_soak";
        std::filesystem::create_directories(saveFolder_);
    }
    ~Soak() { std::filesystem::remove_all(saveFolder_); }

    void BuildScene();
    SoakFigures Run(const std::function<void()>& afterFrame);

private:
    uint32_t Draw(ArgumentKind kind, int callEffect);
    uint32_t AnyInteger();
    uint32_t AnyFloat();
    int Pick(const std::vector<int>& values) { return values[Uniform(values.size())]; }
    size_t Uniform(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    int Percent() { return static_cast<int>(Uniform(100)); }
    const char* Text();
    void Remember(const refhost::CommandEntry& command, const std::array<uint32_t, kMaxArguments>& args, int result);
    void ReleaseTexturesHandedOut(const std::array<uint32_t, kMaxArguments>& args);
    void LoseDevice();
    void DeleteOrRestoreHostThings();
    void RenderFrame();
    void DeleteEverything();
    static LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception);
    static void ReportAbort(int signal);
    void PrintLastCalls() const;

    const refhost::LoadedPlugin& plugin_;
    SoakOptions options_;
    std::mt19937 random_;
    ScriptMemory memory_;
    Pools pools_;
    std::filesystem::path saveFolder_;
    std::deque<std::string> texts_; // texts handed to the current call stay alive until it returns
    int callIndex_ = 0;
    std::deque<std::string> lastCalls_;
    SoakFigures figures_;

    static Soak* running_;
};

Soak* Soak::running_ = nullptr;

// Where the fault happened and the return addresses on the faulting thread's stack that fall in a
// loaded module, as module+offset (addr2line on the module turns them into lines). Frame pointers
// are not kept, so the stack is scanned: an address listed may be a stale one, but the calls that
// led to the fault are among them.
void PrintCodeAddress(const char* label, uintptr_t address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(address), &module) ||
        !module)
        return;
    char name[MAX_PATH] = "?";
    GetModuleFileNameA(module, name, sizeof name);
    const char* base = std::strrchr(name, '\\');
    std::fprintf(stderr, "  %s %s+0x%lx\n", label, base ? base + 1 : name,
                 static_cast<unsigned long>(address - reinterpret_cast<uintptr_t>(module)));
}

void PrintCodeOnStack(const CONTEXT& context)
{
    PrintCodeAddress("fault at", context.Eip);
    const auto* stack = reinterpret_cast<const uintptr_t*>(context.Esp);
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(stack, &region, sizeof region))
        return;
    const auto* end = reinterpret_cast<const uintptr_t*>(static_cast<const char*>(region.BaseAddress) + region.RegionSize);
    for (int shown = 0; stack < end && shown < 24; ++stack) {
        MEMORY_BASIC_INFORMATION code{};
        if (VirtualQuery(reinterpret_cast<const void*>(*stack), &code, sizeof code) && code.Type == MEM_IMAGE &&
            (code.Protect & (PAGE_EXECUTE_READ | PAGE_EXECUTE | PAGE_EXECUTE_READWRITE))) {
            PrintCodeAddress("called from", *stack);
            ++shown;
        }
    }
}

void Soak::BuildScene()
{
    for (ID3DXEffect* effect : BuildSoakHostScene()) {
        pools_.effects.push_back(effect);
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
                pools_.names.push_back(parameter.Name);
        }
        for (UINT t = 0; t < desc.Techniques; ++t) {
            D3DXHANDLE technique = effect->GetTechnique(t);
            handles.push_back(technique);
            D3DXTECHNIQUE_DESC techniqueDesc{};
            if (SUCCEEDED(effect->GetTechniqueDesc(technique, &techniqueDesc)) && techniqueDesc.Name)
                pools_.names.push_back(techniqueDesc.Name);
        }
        pools_.effectHandles.push_back(handles);
    }
    for (int object = 1; object <= kObjects; ++object)
        pools_.liveObjects.push_back(object);
    for (int image = 1; image <= kImages; ++image)
        pools_.liveImages.push_back(image);
}

uint32_t Soak::AnyInteger()
{
    const int r = Percent();
    if (r < 30) return static_cast<uint32_t>(Uniform(41));
    if (r < 38) return 0;
    if (r < 44) return 0xFFFFFFFFu;
    if (r < 48) return 1;
    if (r < 52) {
        static const uint32_t extremes[] = {0x80000000u, 0x7FFFFFFFu, 0x7FFFFFFEu, 0x80000001u, 0xFFFF, 0x10000};
        return extremes[Uniform(std::size(extremes))];
    }
    if (r < 60) return static_cast<uint32_t>(random_());
    if (r < 68) return static_cast<uint32_t>(Uniform(70001));
    if (r < 74 && !pools_.liveSets.empty()) return static_cast<uint32_t>(Pick(pools_.liveSets));
    if (r < 78 && !pools_.staleSets.empty()) return static_cast<uint32_t>(Pick(pools_.staleSets));
    if (r < 84 && !pools_.liveCubes.empty()) return static_cast<uint32_t>(Pick(pools_.liveCubes));
    if (r < 92) return static_cast<uint32_t>(1 + Uniform(kObjects + 2));
    return 1u << Uniform(32);
}

uint32_t Soak::AnyFloat()
{
    const int r = Percent();
    if (r < 40) return FloatBits(std::uniform_real_distribution<float>(-100.0f, 100.0f)(random_));
    if (r < 48) return FloatBits(0.0f);
    if (r < 52) return FloatBits(-0.0f);
    if (r < 56) return FloatBits(std::nanf(""));
    if (r < 60) return FloatBits(INFINITY);
    if (r < 64) return FloatBits(-INFINITY);
    if (r < 68) return FloatBits(1e-40f); // denormal
    if (r < 72) return FloatBits(FLT_MAX);
    if (r < 76) return FloatBits(-FLT_MAX);
    if (r < 88) return FloatBits(static_cast<float>(Uniform(361)));
    return static_cast<uint32_t>(random_());
}

const char* Soak::Text()
{
    const int r = Percent();
    std::string text;
    if (r < 70 && !pools_.names.empty())
        text = pools_.names[Uniform(pools_.names.size())];
    else if (r < 80)
        text = "";
    else if (r < 90)
        text = "NoSuchName";
    else
        text = std::string(300, 'x');
    texts_.push_back(std::move(text));
    return texts_.back().c_str();
}

uint32_t Soak::Draw(ArgumentKind kind, int callEffect)
{
    const int r = Percent();
    switch (kind) {
    case ArgumentKind::Integer:
        return AnyInteger();
    case ArgumentKind::Float:
        return AnyFloat();
    case ArgumentKind::Text:
        return Address(Text());
    case ArgumentKind::SavePath: {
        static const char* extensions[] = {".dds", ".png", ".bmp", "", ".DDS"};
        std::string path;
        if (r < 80)
            path = (saveFolder_ / ("cube" + std::to_string(Uniform(4)) + extensions[Uniform(5)])).string();
        else if (r < 90)
            path = (saveFolder_ / "no such folder" / "cube.dds").string();
        texts_.push_back(path);
        return Address(texts_.back().c_str());
    }
    case ArgumentKind::InstanceSet:
        if (r < 60 && !pools_.liveSets.empty()) return static_cast<uint32_t>(Pick(pools_.liveSets));
        if (r < 75 && !pools_.staleSets.empty()) return static_cast<uint32_t>(Pick(pools_.staleSets));
        return AnyInteger();
    case ArgumentKind::CubeTexture:
        if (r < 55 && !pools_.liveCubes.empty()) return static_cast<uint32_t>(Pick(pools_.liveCubes));
        if (r < 70 && !pools_.staleCubes.empty()) return static_cast<uint32_t>(Pick(pools_.staleCubes));
        if (r < 85) return 0;
        return AnyInteger();
    case ArgumentKind::EffectCamera:
        if (r < 70) return static_cast<uint32_t>(Uniform(32));
        if (r < 80) return static_cast<uint32_t>(Uniform(4));
        return AnyInteger();
    case ArgumentKind::HostObject:
        if (r < 60 && !pools_.liveObjects.empty()) return static_cast<uint32_t>(Pick(pools_.liveObjects));
        if (r < 75 && !pools_.deletedObjects.empty()) return static_cast<uint32_t>(Pick(pools_.deletedObjects));
        return AnyInteger();
    case ArgumentKind::HostImage:
        if (r < 50 && !pools_.liveImages.empty()) return static_cast<uint32_t>(Pick(pools_.liveImages));
        if (r < 60 && !pools_.deletedImages.empty()) return static_cast<uint32_t>(Pick(pools_.deletedImages));
        if (r < 80) return static_cast<uint32_t>(10 + Uniform(6)); // images the commands make themselves
        return AnyInteger();
    case ArgumentKind::Effect:
        if (r < 85 && !pools_.effects.empty()) return Address(pools_.effects[Uniform(pools_.effects.size())]);
        return 0;
    case ArgumentKind::EffectHandle: {
        if (callEffect < 0 || r >= 85)
            return 0;
        const auto& handles = pools_.effectHandles[static_cast<size_t>(callEffect)];
        return handles.empty() ? 0 : Address(handles[Uniform(handles.size())]);
    }
    case ArgumentKind::Address:
        return r < 90 ? Address(memory_.block.data() + 16 * Uniform(32)) : 0;
    case ArgumentKind::ZeroedAddress:
        return r < 90 ? Address(memory_.zeros.data() + 16 * Uniform(32)) : 0;
    case ArgumentKind::AddressList:
        return r < 90 ? Address(memory_.addresses.data()) : 0;
    case ArgumentKind::MeshAddress:
        if (r < 85 && !pools_.liveObjects.empty())
            return Address(refhost::GetLimbMesh(Pick(pools_.liveObjects), 0));
        return 0;
    }
    return 0;
}

void Soak::Remember(const refhost::CommandEntry& command, const std::array<uint32_t, kMaxArguments>& args, int result)
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
        pools_.liveSets.push_back(result);
    else if (name == "GeoInst_Delete" && erase(pools_.liveSets, first))
        pools_.staleSets.push_back(first);
    else if ((name == "CubeTex_MakeNew" || name == "CubeTex_MakeNewFormat") && result != 0)
        pools_.liveCubes.push_back(result);
    else if (name == "CubeTex_Delete" && erase(pools_.liveCubes, first))
        pools_.staleCubes.push_back(first);
}

// Reading a texture or shader parameter's value hands the script a reference to every object in it,
// which the script then owns; a sound script releases them, or the objects would outlive their deletion.
void Soak::ReleaseTexturesHandedOut(const std::array<uint32_t, kMaxArguments>& args)
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
    if (FARPROC sync = plugin_.Export("EfxCam_Sync"))
        CallCommand(sync, {});
    ++figures_.frames;
}

void Soak::LoseDevice()
{
    if (auto lost = refhost::ExportAs<void(__cdecl*)()>(plugin_, "?D3DDeviceLost@@YAXXZ"))
        lost();
    // Every handle the script held is stale now.
    pools_.staleSets.insert(pools_.staleSets.end(), pools_.liveSets.begin(), pools_.liveSets.end());
    pools_.liveSets.clear();
    pools_.staleCubes.insert(pools_.staleCubes.end(), pools_.liveCubes.begin(), pools_.liveCubes.end());
    pools_.liveCubes.clear();
    ++figures_.deviceLosses;
}

void Soak::DeleteOrRestoreHostThings()
{
    // An object or image the script still names is deleted by the host; one deleted earlier comes
    // back under its old number.
    if (!pools_.deletedObjects.empty() && Percent() < 50) {
        int object = pools_.deletedObjects.back();
        pools_.deletedObjects.pop_back();
        MakeSoakObject(object, 1 + object % 2);
        pools_.liveObjects.push_back(object);
    } else if (pools_.liveObjects.size() > 1) {
        size_t at = Uniform(pools_.liveObjects.size());
        refhost::DeleteObject(pools_.liveObjects[at]);
        pools_.deletedObjects.push_back(pools_.liveObjects[at]);
        pools_.liveObjects.erase(pools_.liveObjects.begin() + static_cast<ptrdiff_t>(at));
    }
    if (!pools_.deletedImages.empty() && Percent() < 50) {
        int image = pools_.deletedImages.back();
        pools_.deletedImages.pop_back();
        refhost::MakeImage(image, 64, 64, 0xFF808080u);
        pools_.liveImages.push_back(image);
    } else if (pools_.liveImages.size() > 1) {
        // Image 1 is shown by the host's own objects, which would draw a deleted texture: the host
        // never deletes an image its objects still show.
        size_t at = 1 + Uniform(pools_.liveImages.size() - 1);
        refhost::DeleteImage(pools_.liveImages[at]);
        pools_.deletedImages.push_back(pools_.liveImages[at]);
        pools_.liveImages.erase(pools_.liveImages.begin() + static_cast<ptrdiff_t>(at));
    }
    ++figures_.hostDeletions;
}

void Soak::DeleteEverything()
{
    auto call = [&](const char* name, int argument) { refhost::CallCommand(plugin_, name, argument); };
    for (int set : pools_.liveSets)
        call("GeoInst_Delete", set);
    for (int cube : pools_.liveCubes)
        call("CubeTex_Delete", cube);
    for (int camera = 0; camera < 32; ++camera)
        call("EfxCam_Delete", camera);
    pools_.liveSets.clear();
    pools_.liveCubes.clear();
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
        const refhost::CommandEntry& command = *commands[Uniform(commands.size())];
        // The parameter letters: with a result the first letter is the result's type.
        std::string letters = command.types == "0" ? "" : command.types;
        if (command.returnsValue && !letters.empty())
            letters.erase(0, 1);
        std::array<uint32_t, kMaxArguments> args{};
        int callEffect = -1;
        for (size_t i = 0; i < letters.size() && i < args.size(); ++i) {
            ArgumentKind kind = KindOf(command.exportName, static_cast<int>(i), letters[i]);
            args[i] = Draw(kind, callEffect);
            if (kind == ArgumentKind::Effect) {
                auto found = std::find(pools_.effects.begin(), pools_.effects.end(),
                                       reinterpret_cast<ID3DXEffect*>(static_cast<uintptr_t>(args[i])));
                callEffect = found == pools_.effects.end() ? -1 : static_cast<int>(found - pools_.effects.begin());
            }
        }
        std::string call = command.exportName + "(";
        for (size_t i = 0; i < letters.size(); ++i)
            call += (i ? ", 0x" : "0x") + [&] { char b[16]; std::snprintf(b, sizeof b, "%08x", args[i]); return std::string(b); }();
        lastCalls_.push_back(std::to_string(callIndex_) + ": " + call + ")");
        if (lastCalls_.size() > 12)
            lastCalls_.pop_front();

        int result = CallCommand(command.function, args);
        if (options_.validateHeapsFrom >= 0 && callIndex_ >= options_.validateHeapsFrom && !EveryHeapIsSound()) {
            std::fprintf(stderr, "soak: a heap is damaged after call %s\n", lastCalls_.back().c_str());
            std::fflush(stderr);
            std::abort();
        }
        Remember(command, args, result);
        if (command.exportName == "Shader_GetValue")
            ReleaseTexturesHandedOut(args);
        texts_.clear();

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

bool EveryHeapIsSound()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr))
            return false;
    }
    return true;
}

void MakeSoakObject(int object, int effect)
{
    refhost::MeshDescription mesh;
    mesh.shape = object % 2 ? refhost::Shape::Cube : refhost::Shape::Sphere;
    mesh.indexed = object != 3; // one mesh the host draws without indices
    mesh.texCoordSets = 1;
    mesh.textureStages = object % 3;
    mesh.image = object % 3 ? 1 : 0;
    mesh.limbs = 1 + object % 2;
    refhost::MakeObject(object, mesh);
    refhost::SetObjectPosition(object, static_cast<float>(object) - 3.0f, 0.0f, 8.0f);
    refhost::SetObjectEffect(object, effect);
}

std::vector<ID3DXEffect*> BuildSoakHostScene()
{
    std::vector<ID3DXEffect*> effects;
    std::string error;
    const refhost::EffectDescription descriptions[] = {refhost::InstancingEffectDescription(),
                                                       refhost::ParameterZooDescription()};
    for (int e = 0; e < 2; ++e) {
        if (HostEffect* record = refhost::AddDescribedEffect(e + 1, descriptions[e], &error))
            effects.push_back(record->effect);
    }
    for (int object = 1; object <= kObjects; ++object)
        MakeSoakObject(object, 1 + object % 2);
    for (int image = 1; image <= kImages; ++image)
        refhost::MakeImage(image, 64, 64, 0xFF000000u | (0x3F << (8 * (image - 1))));
    refhost::MakeCamera(1, 64, 64);
    refhost::SetCameraPosition(0, 0.0f, 0.0f, -5.0f);
    return effects;
}
