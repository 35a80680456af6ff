#include "cube_list.h"

#include <unordered_set>

#include "cube_release.h"

namespace {

struct CubeList {
    RecordList<CubeTexRecord> cubes;
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

// An empty list holds no memory: clear() would keep the hash table's bucket array.
void ForgetTexturesOnceEmpty(CubeList& list)
{
    if (list.cubes.records.empty())
        list.textures = decltype(list.textures){};
}

void Clear(CubeList& list)
{
    EmptyRecordList(list.cubes);
    ForgetTexturesOnceEmpty(list);
    list.counters = {};
}

} // namespace

const CubeTextureList& LiveCubeTextures() { return List().cubes.records; }

CubeTexRecord* FindCubeTexture(int handle) { return FindRecord(List().cubes, handle); }

CubeTexRecord& AppendCubeTexture(Com<IDirect3DCubeTexture9>& texture)
{
    CubeList& list = List();
    CubeTexRecord& cube = AppendRecord(list.cubes, CubeTexRecord{});
    try {
        list.textures.insert(texture.ptr());
    } catch (...) {
        RemoveRecord(list.cubes, cube);
        ForgetTexturesOnceEmpty(list);
        throw;
    }
    cube.texture = std::move(texture);
    return cube;
}

void RemoveCubeTexture(CubeTexRecord& cube)
{
    CubeList& list = List();
    // Off the live set first: once destroyed, the texture's address may be a new texture's.
    list.textures.erase(cube.texture.ptr());
    DestroyCubeTexture(cube);
    RemoveRecord(list.cubes, cube);
    ForgetTexturesOnceEmpty(list);
}

bool IsLiveCubeTexture(const void* texture) { return texture && List().textures.count(texture) != 0; }

CubeDrawCounters& CubeCounters() { return List().counters; }

void ForgetAllCubeTextures()
{
    CubeList& list = List();
    for (CubeTexRecord& cube : list.cubes.records)
        cube.texture.abandon();
    Clear(list);
}

void ReleaseAllCubeTextures()
{
    CubeList& list = List();
    // Default-pool render targets must all be gone before the host can reset its device.
    for (CubeTexRecord& cube : list.cubes.records)
        DestroyCubeTexture(cube);
    const CubeDrawCounters counters = list.counters;
    Clear(list);
    list.counters = counters;
}
