// The values the soak hands to commands: drawn at random for each parameter's kind, from pools of
// live and stale handles, the host's objects and images, the effects and their handles, and memory
// the script owns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <d3dx9.h>

#include "argument_kinds.h"

inline constexpr size_t kScriptMemoryBytes = 64 * 1024;
inline constexpr size_t kAddressListEntries = 4096;

// Memory the script owns: big enough for any value an effect reads or writes at one address, and a
// list of addresses into it for the pointer-array commands.
struct ScriptMemory {
    alignas(16) std::array<std::byte, kScriptMemoryBytes> block{};
    alignas(16) std::array<std::byte, kScriptMemoryBytes> zeros{};
    std::array<uint32_t, kAddressListEntries> addresses{};

    ScriptMemory();
};

struct Pools {
    std::vector<int> liveSets, staleSets, liveCubes, staleCubes;
    std::vector<int> liveObjects, deletedObjects, liveImages, deletedImages;
    std::vector<ID3DXEffect*> effects;                 // held by the host's effect records
    std::vector<std::vector<D3DXHANDLE>> effectHandles; // parameters, elements and techniques of each
    std::vector<std::string> names;                    // parameter and technique names
};

struct ArgumentSource {
    std::mt19937 random;
    Pools pools;
    ScriptMemory memory;
    std::filesystem::path saveFolder; // where CubeTex_Save may write
    std::deque<std::string> texts;    // texts handed to the current call stay alive until it returns
};

uint32_t Address(const void* p);

// 0 to n - 1, and 0 to 99.
size_t Uniform(ArgumentSource& s, size_t n);
int Percent(ArgumentSource& s);

// A value for a parameter of `kind`; `callEffect` is the index of the effect the call's earlier
// arguments named (-1 when none), whose handles an EffectHandle parameter is drawn from.
uint32_t DrawArgument(ArgumentSource& s, ArgumentKind kind, int callEffect);
