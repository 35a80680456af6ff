#include "mesh_builder.h"

#include <cmath>
#include <cstring>

namespace refhost {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kMaxTextureStages = 8;

// Makes every triangle clockwise seen from the side its vertex normals point to.
void OrientTriangles(Geometry& g)
{
    for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
        const D3DXVECTOR3& a = g.positions[g.indices[t]];
        const D3DXVECTOR3& b = g.positions[g.indices[t + 1]];
        const D3DXVECTOR3& c = g.positions[g.indices[t + 2]];
        D3DXVECTOR3 ab = b - a, ac = c - a, facing;
        D3DXVec3Cross(&facing, &ab, &ac);
        D3DXVECTOR3 outward = g.normals[g.indices[t]] + g.normals[g.indices[t + 1]] + g.normals[g.indices[t + 2]];
        if (D3DXVec3Dot(&facing, &outward) < 0)
            std::swap(g.indices[t + 1], g.indices[t + 2]);
    }
}

void AddQuad(Geometry& g, D3DXVECTOR3 centre, D3DXVECTOR3 u, D3DXVECTOR3 v, D3DXVECTOR3 normal)
{
    auto base = static_cast<uint16_t>(g.positions.size());
    const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    for (const auto& c : corners) {
        g.positions.push_back(centre + u * c[0] + v * c[1]);
        g.normals.push_back(normal);
        g.texCoords.push_back({(c[0] + 1) * 0.5f, (1 - c[1]) * 0.5f});
    }
    for (uint16_t i : {0, 1, 2, 0, 2, 3})
        g.indices.push_back(static_cast<uint16_t>(base + i));
}

Geometry Cube(float size)
{
    Geometry g;
    float h = size * 0.5f;
    const D3DXVECTOR3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {-1.0f, 1.0f}) {
            D3DXVECTOR3 n = axes[axis] * sign;
            D3DXVECTOR3 u = axes[(axis + 1) % 3] * h;
            D3DXVECTOR3 v = axes[(axis + 2) % 3] * h;
            AddQuad(g, n * h, u, v, n);
        }
    }
    return g;
}

Geometry Plane(float size)
{
    Geometry g;
    float h = size * 0.5f;
    AddQuad(g, {0, 0, 0}, {h, 0, 0}, {0, h, 0}, {0, 0, -1});
    return g;
}

Geometry Sphere(float size, int rings, int segments)
{
    Geometry g;
    rings = rings < 2 ? 2 : rings;
    segments = segments < 3 ? 3 : segments;
    float radius = size * 0.5f;
    for (int r = 0; r <= rings; ++r) {
        float theta = kPi * r / rings;
        for (int s = 0; s <= segments; ++s) {
            float phi = 2 * kPi * s / segments;
            D3DXVECTOR3 n(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
            g.positions.push_back(n * radius);
            g.normals.push_back(n);
            g.texCoords.push_back({static_cast<float>(s) / segments, static_cast<float>(r) / rings});
        }
    }
    auto at = [&](int r, int s) { return static_cast<uint16_t>(r * (segments + 1) + s); };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            // The quads at the poles collapse to one triangle each.
            if (r != 0)
                g.indices.insert(g.indices.end(), {at(r, s), at(r, s + 1), at(r + 1, s)});
            if (r != rings - 1)
                g.indices.insert(g.indices.end(), {at(r, s + 1), at(r + 1, s + 1), at(r + 1, s)});
        }
    }
    return g;
}

void InitStage(HostTextureStage& stage, int index)
{
    stage.deviceStage = index;
    stage.colorOp = D3DTOP_MODULATE;
    stage.colorArg1 = D3DTA_TEXTURE;
    stage.colorArg2 = index == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
    stage.magFilter = D3DTEXF_LINEAR;
    stage.minFilter = D3DTEXF_LINEAR;
    stage.mipFilter = D3DTEXF_LINEAR;
}

D3DCOLORVALUE ColourValue(D3DCOLOR c)
{
    return {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, ((c >> 24) & 0xFF) / 255.0f};
}

} // namespace

Geometry BuildShape(Shape shape, float size, int rings, int segments)
{
    Geometry g;
    switch (shape) {
    case Shape::Cube: g = Cube(size); break;
    case Shape::Sphere: g = Sphere(size, rings, segments); break;
    case Shape::Plane: g = Plane(size); break;
    }
    OrientTriangles(g);
    return g;
}

DWORD VertexFormatOf(const MeshDescription& meshDescription)
{
    DWORD fvf = D3DFVF_XYZ;
    if (meshDescription.normals) fvf |= D3DFVF_NORMAL;
    if (meshDescription.vertexColour) fvf |= D3DFVF_DIFFUSE;
    int sets = meshDescription.texCoordSets < 0 ? 0 : (meshDescription.texCoordSets > 8 ? 8 : meshDescription.texCoordSets);
    fvf |= static_cast<DWORD>(sets) << D3DFVF_TEXCOUNT_SHIFT; // every set is float2
    return fvf;
}

bool BuildMesh(IDirect3DDevice9* device, const MeshDescription& meshDescription, float offsetX, MeshRecord& out)
{
    Geometry g = BuildShape(meshDescription.shape, meshDescription.size, meshDescription.sphereRings, meshDescription.sphereSegments);
    DWORD fvf = VertexFormatOf(meshDescription);
    UINT stride = D3DXGetFVFVertexSize(fvf);
    int sets = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);

    // Without indices every triangle corner is a vertex of its own.
    std::vector<uint16_t> order;
    if (meshDescription.indexed) {
        order.resize(g.positions.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint16_t>(i);
    } else {
        order = g.indices;
    }
    const UINT vertexCount = static_cast<UINT>(order.size());
    const UINT triangleCount = static_cast<UINT>(g.indices.size() / 3);

    Com<IDirect3DVertexBuffer9> vb;
    if (FAILED(device->CreateVertexBuffer(vertexCount * stride, D3DUSAGE_WRITEONLY, meshDescription.useDeclaration ? 0 : fvf,
                                          D3DPOOL_MANAGED, vb.put(), nullptr)))
        return false;
    BYTE* v = nullptr;
    vb->Lock(0, 0, reinterpret_cast<void**>(&v), 0);
    for (uint16_t source : order) {
        D3DXVECTOR3 p = g.positions[source];
        p.x += offsetX;
        std::memcpy(v, &p, 12), v += 12;
        if (meshDescription.normals) std::memcpy(v, &g.normals[source], 12), v += 12;
        if (meshDescription.vertexColour) std::memcpy(v, &meshDescription.colour, 4), v += 4;
        for (int s = 0; s < sets; ++s) std::memcpy(v, &g.texCoords[source], 8), v += 8;
    }
    vb->Unlock();

    Com<IDirect3DIndexBuffer9> ib;
    if (meshDescription.indexed) {
        UINT bytes = static_cast<UINT>(g.indices.size() * sizeof(uint16_t));
        if (FAILED(device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, ib.put(),
                                             nullptr)))
            return false;
        void* data = nullptr;
        ib->Lock(0, 0, &data, 0);
        std::memcpy(data, g.indices.data(), bytes);
        ib->Unlock();
    }

    HostMesh& m = out.mesh;
    if (meshDescription.useDeclaration) {
        D3DXDeclaratorFromFVF(fvf, m.vertexElements);
        if (FAILED(device->CreateVertexDeclaration(m.vertexElements, out.declaration.put()))) {
            std::memset(m.vertexElements, 0, sizeof(m.vertexElements));
            return false;
        }
        m.vertexDeclaration = out.declaration.ptr();
    } else {
        m.fvf = fvf;
    }
    out.vertexBuffer = std::move(vb);
    out.indexBuffer = std::move(ib);
    out.drawBuffer.vertexBuffer = out.vertexBuffer.ptr();
    out.drawBuffer.indexBuffer = out.indexBuffer.ptr();
    out.drawBuffer.vertexCount = static_cast<int32_t>(vertexCount);
    out.hasVertexColour = meshDescription.vertexColour;
    out.texCoordSets = sets;

    m.vertexSize = static_cast<int32_t>(stride);
    m.indexCount = meshDescription.indexed ? static_cast<int32_t>(g.indices.size()) : 0;
    m.primitiveType = D3DPT_TRIANGLELIST;
    m.vertexCount = static_cast<int32_t>(vertexCount);
    m.primitiveCount = static_cast<int32_t>(triangleCount);
    m.drawBuffer = &out.drawBuffer;
    m.depthRead = 1;
    m.depthWrite = 1;
    m.cullCounterClockwise = 1;
    m.fog = 1;
    m.hasDiffuseColor = 1;
    m.diffuseColor = meshDescription.colour;
    m.usesMaterial = meshDescription.useMaterial ? 1 : 0;
    m.material.Diffuse = m.material.Ambient = ColourValue(meshDescription.colour);

    int stageCount = meshDescription.textureStages < 0 ? 0 : (meshDescription.textureStages > kMaxTextureStages ? kMaxTextureStages : meshDescription.textureStages);
    out.stages.assign(static_cast<size_t>(stageCount), HostTextureStage{});
    for (int i = 0; i < stageCount; ++i) {
        InitStage(out.stages[i], i);
        ShowImageAtStage(out, i, meshDescription.image);
    }
    m.textureStageCount = stageCount;
    m.textureStages = out.stages.empty() ? nullptr : out.stages.data();
    return true;
}

void ShowImageAtStage(MeshRecord& mesh, int stage, int image)
{
    if (stage < 0 || stage >= kMaxTextureStages)
        return;
    if (stage >= static_cast<int>(mesh.stages.size())) {
        if (image == 0)
            return;
        // Showing an image at a stage the mesh has no entry for yet adds the entries up to it.
        size_t old = mesh.stages.size();
        mesh.stages.resize(static_cast<size_t>(stage) + 1);
        for (size_t i = old; i < mesh.stages.size(); ++i)
            InitStage(mesh.stages[i], static_cast<int>(i));
        mesh.mesh.textureStages = mesh.stages.data();
        mesh.mesh.textureStageCount = static_cast<int32_t>(mesh.stages.size());
    }
    ImageRecord* record = image ? FindImage(image) : nullptr;
    HostTextureStage& entry = mesh.stages[stage];
    entry.image = record ? image : 0;
    entry.texture = record ? record->texture.ptr() : nullptr;
}

} // namespace refhost
