#include "random_arguments.h"

#include <cfloat>
#include <cmath>

#include "export_values.h"
#include "ref_host.h"
#include "soak_scene.h"

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

ScriptMemory::ScriptMemory()
{
    for (size_t i = 0; i < addresses.size(); ++i)
        addresses[i] = Address(block.data() + (i * 16) % (kScriptMemoryBytes - 8192));
}

size_t Uniform(ArgumentSource& s, size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(s.random); }

int Percent(ArgumentSource& s) { return static_cast<int>(Uniform(s, 100)); }

namespace {

int Pick(ArgumentSource& s, const std::vector<int>& values) { return values[Uniform(s, values.size())]; }

uint32_t AnyInteger(ArgumentSource& s)
{
    const int r = Percent(s);
    if (r < 30) return static_cast<uint32_t>(Uniform(s, 41));
    if (r < 38) return 0;
    if (r < 44) return 0xFFFFFFFFu;
    if (r < 48) return 1;
    if (r < 52) {
        static const uint32_t extremes[] = {0x80000000u, 0x7FFFFFFFu, 0x7FFFFFFEu, 0x80000001u, 0xFFFF, 0x10000};
        return extremes[Uniform(s, std::size(extremes))];
    }
    if (r < 60) return static_cast<uint32_t>(s.random());
    if (r < 68) return static_cast<uint32_t>(Uniform(s, 70001));
    if (r < 74 && !s.pools.liveSets.empty()) return static_cast<uint32_t>(Pick(s, s.pools.liveSets));
    if (r < 78 && !s.pools.staleSets.empty()) return static_cast<uint32_t>(Pick(s, s.pools.staleSets));
    if (r < 84 && !s.pools.liveCubes.empty()) return static_cast<uint32_t>(Pick(s, s.pools.liveCubes));
    if (r < 92) return static_cast<uint32_t>(1 + Uniform(s, kSoakObjects + 2));
    return 1u << Uniform(s, 32);
}

uint32_t AnyFloat(ArgumentSource& s)
{
    const int r = Percent(s);
    if (r < 40) return FloatBits(std::uniform_real_distribution<float>(-100.0f, 100.0f)(s.random));
    if (r < 48) return FloatBits(0.0f);
    if (r < 52) return FloatBits(-0.0f);
    if (r < 56) return FloatBits(std::nanf(""));
    if (r < 60) return FloatBits(INFINITY);
    if (r < 64) return FloatBits(-INFINITY);
    if (r < 68) return FloatBits(1e-40f); // denormal
    if (r < 72) return FloatBits(FLT_MAX);
    if (r < 76) return FloatBits(-FLT_MAX);
    if (r < 88) return FloatBits(static_cast<float>(Uniform(s, 361)));
    return static_cast<uint32_t>(s.random());
}

const char* Text(ArgumentSource& s)
{
    const int r = Percent(s);
    std::string text;
    if (r < 70 && !s.pools.names.empty())
        text = s.pools.names[Uniform(s, s.pools.names.size())];
    else if (r < 80)
        text = "";
    else if (r < 90)
        text = "NoSuchName";
    else
        text = std::string(300, 'x');
    s.texts.push_back(std::move(text));
    return s.texts.back().c_str();
}

} // namespace

uint32_t DrawArgument(ArgumentSource& s, ArgumentKind kind, int callEffect)
{
    const int r = Percent(s);
    switch (kind) {
    case ArgumentKind::Integer:
        return AnyInteger(s);
    case ArgumentKind::Float:
        return AnyFloat(s);
    case ArgumentKind::Text:
        return Address(Text(s));
    case ArgumentKind::SavePath: {
        static const char* extensions[] = {".dds", ".png", ".bmp", "", ".DDS"};
        std::string path;
        if (r < 80)
            path = (s.saveFolder / ("cube" + std::to_string(Uniform(s, 4)) + extensions[Uniform(s, 5)])).string();
        else if (r < 90)
            path = (s.saveFolder / "no such folder" / "cube.dds").string();
        s.texts.push_back(path);
        return Address(s.texts.back().c_str());
    }
    case ArgumentKind::InstanceSet:
        if (r < 60 && !s.pools.liveSets.empty()) return static_cast<uint32_t>(Pick(s, s.pools.liveSets));
        if (r < 75 && !s.pools.staleSets.empty()) return static_cast<uint32_t>(Pick(s, s.pools.staleSets));
        return AnyInteger(s);
    case ArgumentKind::CubeTexture:
        if (r < 55 && !s.pools.liveCubes.empty()) return static_cast<uint32_t>(Pick(s, s.pools.liveCubes));
        if (r < 70 && !s.pools.staleCubes.empty()) return static_cast<uint32_t>(Pick(s, s.pools.staleCubes));
        if (r < 85) return 0;
        return AnyInteger(s);
    case ArgumentKind::EffectCamera:
        if (r < 70) return static_cast<uint32_t>(Uniform(s, 32));
        if (r < 80) return static_cast<uint32_t>(Uniform(s, 4));
        return AnyInteger(s);
    case ArgumentKind::HostObject:
        if (r < 60 && !s.pools.liveObjects.empty()) return static_cast<uint32_t>(Pick(s, s.pools.liveObjects));
        if (r < 75 && !s.pools.deletedObjects.empty()) return static_cast<uint32_t>(Pick(s, s.pools.deletedObjects));
        return AnyInteger(s);
    case ArgumentKind::HostImage:
        if (r < 50 && !s.pools.liveImages.empty()) return static_cast<uint32_t>(Pick(s, s.pools.liveImages));
        if (r < 60 && !s.pools.deletedImages.empty()) return static_cast<uint32_t>(Pick(s, s.pools.deletedImages));
        if (r < 80) return static_cast<uint32_t>(10 + Uniform(s, 6)); // images the commands make themselves
        return AnyInteger(s);
    case ArgumentKind::Effect:
        if (r < 85 && !s.pools.effects.empty()) return Address(s.pools.effects[Uniform(s, s.pools.effects.size())]);
        return 0;
    case ArgumentKind::EffectHandle: {
        if (callEffect < 0 || r >= 85)
            return 0;
        const auto& handles = s.pools.effectHandles[static_cast<size_t>(callEffect)];
        return handles.empty() ? 0 : Address(handles[Uniform(s, handles.size())]);
    }
    case ArgumentKind::Address:
        return r < 90 ? Address(s.memory.block.data() + 16 * Uniform(s, 32)) : 0;
    case ArgumentKind::ZeroedAddress:
        return r < 90 ? Address(s.memory.zeros.data() + 16 * Uniform(s, 32)) : 0;
    case ArgumentKind::AddressList:
        return r < 90 ? Address(s.memory.addresses.data()) : 0;
    case ArgumentKind::MeshAddress:
        if (r < 85 && !s.pools.liveObjects.empty())
            return Address(refhost::GetLimbMesh(Pick(s, s.pools.liveObjects), 0));
        return 0;
    }
    return 0;
}
