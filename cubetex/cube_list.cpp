#include "cube_list.h"

#include <cstdint>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "cube_release.h"

namespace {

struct CubeList {
    CubeTextureList cubes;
    // Record address -> its place in `cubes`, so a handle is checked and found in one lookup.
    std::unordered_map<uintptr_t, CubeTextureList::iterator> byAddress;
    // The textures of the live records, for the checks that must not release a cube texture that
    // a host entry only borrows.
    std::unordered_set<const void*> textures;
    CubeDrawCounters counters{};
};

CubeList& List()
{
    static CubeList list;
    return list;
}

uintptr_t AddressOf(const CubeTexRecord& cube) { return reinterpret_cast<uintptr_t>(&cube); }

// An empty list holds no memory: clear() would keep the hash tables' bucket arrays.
void EmptyTables(CubeList& list)
{
    list.cubes.clear();
    list.byAddress = decltype(list.byAddress){};
    list.textures = decltype(list.textures){};
}

void Clear(CubeList& list)
{
    EmptyTables(list);
    list.counters = {};
}

} // namespace

const CubeTextureList& LiveCubeTextures() { return List().cubes; }

CubeTexRecord* FindCubeTexture(int handle)
{
    CubeList& list = List();
    auto found = list.byAddress.find(static_cast<uint32_t>(handle));
    return found == list.byAddress.end() ? nullptr : &*found->second;
}

int HandleOf(const CubeTexRecord& cube) { return static_cast<int>(AddressOf(cube)); }

CubeTexRecord* AppendCubeTexture(Com<IDirect3DCubeTexture9>& texture)
{
    CubeList& list = List();
    try {
        auto place = list.cubes.insert(list.cubes.end(), CubeTexRecord{});
        try {
            list.byAddress.emplace(AddressOf(*place), place);
            list.textures.insert(texture.ptr());
        } catch (const std::bad_alloc&) {
            list.byAddress.erase(AddressOf(*place));
            list.cubes.erase(place);
            if (list.cubes.empty())
                EmptyTables(list);
            throw;
        }
        place->texture = std::move(texture);
        return &*place;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void RemoveCubeTexture(CubeTexRecord& cube)
{
    CubeList& list = List();
    auto found = list.byAddress.find(AddressOf(cube));
    if (found == list.byAddress.end())
        return;
    // Off the live set first: once destroyed, the texture's address may be a new texture's.
    list.textures.erase(cube.texture.ptr());
    DestroyCubeTexture(cube);
    CubeTextureList::iterator place = found->second;
    list.byAddress.erase(found);
    list.cubes.erase(place);
    if (list.cubes.empty())
        EmptyTables(list);
}

bool IsLiveCubeTexture(const void* texture) { return texture && List().textures.count(texture) != 0; }

CubeDrawCounters& CubeCounters() { return List().counters; }

void ForgetAllCubeTextures()
{
    CubeList& list = List();
    for (CubeTexRecord& cube : list.cubes)
        cube.texture.abandon();
    Clear(list);
}

void ReleaseAllCubeTextures()
{
    CubeList& list = List();
    // Default-pool render targets must all be gone before the host can reset its device.
    for (CubeTexRecord& cube : list.cubes)
        DestroyCubeTexture(cube);
    const CubeDrawCounters counters = list.counters;
    Clear(list);
    list.counters = counters;
}
