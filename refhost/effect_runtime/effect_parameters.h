// Parameter storage of a host effect: one node per parameter and per array element, all values in
// one array of 32-bit slots. A D3DXHANDLE of a parameter is the address of its node.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime_effect.h"

namespace refhost::effect {

static_assert(sizeof(void*) == sizeof(DWORD), "texture and string slots hold 32-bit pointers");

struct ParameterNode {
    std::string name;     // elements carry the name and semantic of their array, as in D3DX
    std::string semantic;
    EffectParameterKind kind;
    D3DXPARAMETER_CLASS cls;
    D3DXPARAMETER_TYPE type;
    UINT rows, columns;
    UINT elements;        // 0 = not an array
    UINT elementSlots;    // slots of one element (or of the whole value when not an array)
    size_t offset;        // first slot
    size_t firstElement;  // node index of element 0 (arrays only)
    bool isElement;

    UINT Slots() const { return elementSlots * (elements ? elements : 1); }
    UINT Bytes() const { return Slots() * sizeof(DWORD); }
    bool IsNumeric() const { return cls == D3DXPC_SCALAR || cls == D3DXPC_VECTOR || cls == D3DXPC_MATRIX_ROWS; }
    bool IsTexture() const { return type == D3DXPT_TEXTURE; }
};

class ParameterStore {
public:
    // Builds the nodes; false with a reason for an unusable description.
    bool Build(const std::vector<EffectParameter>& parameters, std::string* error);
    ~ParameterStore();

    size_t TopLevelCount() const { return topLevel_; }
    const ParameterNode& Node(size_t index) const { return nodes_[index]; }
    size_t IndexOf(const ParameterNode* node) const { return node - nodes_.data(); }
    D3DXHANDLE Handle(size_t index) const { return reinterpret_cast<D3DXHANDLE>(&nodes_[index]); }

    // The node a handle stands for: a node address, or, like D3DX, a parameter name given as the
    // handle ("name" or "name[i]"). Null for anything else.
    const ParameterNode* Resolve(D3DXHANDLE handle) const;
    // Lookup among the top-level parameters (parent null) or the elements of `parent`.
    const ParameterNode* ByName(const ParameterNode* parent, const char* name) const;
    const ParameterNode* BySemantic(const ParameterNode* parent, const char* semantic) const;
    const ParameterNode* Element(const ParameterNode& array, UINT index) const;

    DWORD* Slots(const ParameterNode& node) { return &slots_[node.offset]; }
    const DWORD* Slots(const ParameterNode& node) const { return &slots_[node.offset]; }

    // Object values; both keep one reference per stored texture.
    void StoreTexture(const ParameterNode& node, UINT element, IDirect3DBaseTexture9* texture);
    IDirect3DBaseTexture9* Texture(const ParameterNode& node, UINT element) const;
    void StoreString(const ParameterNode& node, const char* text);

    // Copies every value of `other`, which was built from the same description.
    void CopyValuesFrom(const ParameterStore& other);

private:
    bool IsNode(const void* p) const;

    std::vector<ParameterNode> nodes_; // top-level parameters first, then the elements of arrays
    size_t topLevel_ = 0;
    std::vector<DWORD> slots_;
    std::vector<std::unique_ptr<std::string>> strings_; // per node; String slots point into these
};

// True when `p` points at a readable, zero-terminated text: a handle that is not one of ours may be
// a name, and must not crash us when it is neither.
bool IsReadableName(const char* p);

// Value conversions between the parameter types, as D3DX converts them.
float SlotAsFloat(DWORD slot, D3DXPARAMETER_TYPE type);
INT SlotAsInt(DWORD slot, D3DXPARAMETER_TYPE type);
BOOL SlotAsBool(DWORD slot, D3DXPARAMETER_TYPE type);
DWORD FloatToSlot(float value, D3DXPARAMETER_TYPE type);
DWORD IntToSlot(INT value, D3DXPARAMETER_TYPE type);
DWORD BoolToSlot(BOOL value, D3DXPARAMETER_TYPE type);

} // namespace refhost::effect
