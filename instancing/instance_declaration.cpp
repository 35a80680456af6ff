#include "instance_declaration.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "host_access.h"
#include "message_box.h"

namespace {

constexpr D3DVERTEXELEMENT9 kEndMarker = D3DDECL_END();
constexpr BYTE kInstanceStream = 1;

bool IsTexcoord(const D3DVERTEXELEMENT9& element) { return element.Usage == D3DDECLUSAGE_TEXCOORD; }

D3DVERTEXELEMENT9 InstanceElement(int offset, int type, int usageIndex)
{
    return {kInstanceStream, static_cast<WORD>(offset), static_cast<BYTE>(type), D3DDECLMETHOD_DEFAULT,
            D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(usageIndex)};
}

// The mesh's own elements: its declaration when it has one, else those its FVF code describes.
bool CopyMeshElements(const HostMesh& mesh, D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements])
{
    if (mesh.vertexDeclaration) {
        std::memcpy(elements, mesh.vertexElements, sizeof(elements));
        return true;
    }
    // The declarator may write up to MAX_FVF_DECL_SIZE elements, one more than the record holds.
    D3DVERTEXELEMENT9 fromFvf[MAX_FVF_DECL_SIZE];
    std::fill(std::begin(fromFvf), std::end(fromFvf), kEndMarker);
    if (FAILED(D3DXDeclaratorFromFVF(mesh.fvf, fromFvf)))
        return false;
    std::memcpy(elements, fromFvf, sizeof(elements));
    return true;
}

} // namespace

int EndMarkerIndex(const D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements])
{
    for (int i = 0; i < kMaxVertexElements; ++i) {
        if (elements[i].Stream == 0xFF)
            return i;
    }
    return kMaxVertexElements;
}

void AppendWorldMatrixElements(D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements])
{
    int end = EndMarkerIndex(elements);
    int highest = 0;
    for (int i = 0; i < end; ++i) {
        if (IsTexcoord(elements[i]))
            highest = std::max(highest, static_cast<int>(elements[i].UsageIndex));
    }
    // Four rows above the highest index must stay within the eight texture coordinates a vertex
    // shader reads, plus one: rows may reach TEXCOORD8.
    if (highest > 4) {
        ShowMessage("Error", "Cant setup geometry instance for mesh, World Matrix Requires 4 Free TEXCOORD elements");
        return;
    }
    if (end + 4 >= kMaxVertexElements) {
        ShowMessage("Error", "Cant setup geometry instance for mesh, its vertex declaration has no room for the World Matrix elements");
        return;
    }
    for (int row = 0; row < 4; ++row)
        elements[end + row] = InstanceElement(16 * row, D3DDECLTYPE_FLOAT4, highest + 1 + row);
    elements[end + 4] = kEndMarker;
}

void AppendCustomElement(D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements], int offset, int components)
{
    int end = EndMarkerIndex(elements);
    // The next element follows the last texture coordinate met (not the highest).
    int last = 0;
    for (int i = 0; i < end; ++i) {
        if (IsTexcoord(elements[i]))
            last = elements[i].UsageIndex;
    }
    if (last > 6) {
        ShowMessage("Error", "Cant add additional TEXCOORD element, Already reached the limit of 8");
        return;
    }
    // An element of no components occupies no bytes and is not declared.
    if (components < 1 || components > 4)
        return;
    if (end + 1 >= kMaxVertexElements) {
        ShowMessage("Error", "Cant add additional TEXCOORD element, the vertex declaration is full");
        return;
    }
    static constexpr int kTypes[] = {D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4};
    elements[end] = InstanceElement(offset, kTypes[components - 1], last + 1);
    elements[end + 1] = kEndMarker;
}

bool MakeInstanceDeclaration(const GeoInstRecord& layout, const HostMesh& mesh,
                             D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements],
                             Com<IDirect3DVertexDeclaration9>& declaration)
{
    bool described = CopyMeshElements(mesh, elements);
    if (described) {
        if (layout.worldMatrixEnabled == 1 || layout.customElementsEnabled == 0)
            AppendWorldMatrixElements(elements);
        // Each element is declared where the custom data commands write it: after the rows' 64
        // bytes whenever the layout has them, even when the mesh left no room to declare the rows.
        if (layout.customElementsEnabled == 1) {
            for (int k = 0; k < layout.customElementCount; ++k)
                AppendCustomElement(elements, layout.customDataOffset + layout.customElements[k].offset,
                                    layout.customElements[k].components);
        }
    }

    // An array without an end marker (a mesh declaration filling all 64 entries, or an FVF the
    // declarator refuses) must never reach the device, which would read past it.
    IDirect3DDevice9* device = HostDevice();
    bool terminated = EndMarkerIndex(elements) < kMaxVertexElements;
    if (!described || !terminated || !device ||
        FAILED(device->CreateVertexDeclaration(elements, declaration.put()))) {
        declaration = nullptr;
        ShowMessage("ERROR", "Failed To Create Vertex Declarator");
        return false;
    }
    return true;
}

void ApplyDeclaredLayout(GeoInstRecord& set)
{
    set.stride = LayoutStride(set);
    if (set.customElementsEnabled == 0)
        set.worldMatrixEnabled = 1;
}

void BuildInstanceDeclaration(GeoInstRecord& set)
{
    // The layout has already changed: the old declaration no longer describes it, so it goes first
    // and a failure leaves the set without one (undrawn) rather than with a wrong one.
    set.vertexDeclaration.reset();
    if (MakeInstanceDeclaration(set, *set.mesh, set.vertexElements, set.vertexDeclaration))
        ApplyDeclaredLayout(set);
}
