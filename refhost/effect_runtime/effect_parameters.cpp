#include "effect_parameters.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <set>

namespace refhost::effect {

namespace {

struct KindShape {
    D3DXPARAMETER_CLASS cls;
    D3DXPARAMETER_TYPE type;
    UINT rows, columns, slots;
};

KindShape ShapeOf(const EffectParameter& p)
{
    switch (p.kind) {
    case EffectParameterKind::Bool: return {D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1, 1};
    case EffectParameterKind::Int: return {D3DXPC_SCALAR, D3DXPT_INT, 1, 1, 1};
    case EffectParameterKind::Float: return {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 1};
    case EffectParameterKind::Vector: return {D3DXPC_VECTOR, D3DXPT_FLOAT, 1, p.columns, p.columns};
    case EffectParameterKind::Matrix: return {D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4, 16};
    case EffectParameterKind::Texture: return {D3DXPC_OBJECT, D3DXPT_TEXTURE, 0, 0, 1};
    case EffectParameterKind::String: return {D3DXPC_OBJECT, D3DXPT_STRING, 0, 0, 1};
    }
    return {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1, 1};
}

} // namespace

bool IsReadableName(const char* p)
{
    if (!p) return false;
    for (size_t i = 0; i < 256; ++i) {
        MEMORY_BASIC_INFORMATION info;
        if ((i == 0 || ((reinterpret_cast<uintptr_t>(p + i) & 0xFFF) == 0))) {
            if (!VirtualQuery(p + i, &info, sizeof info) || info.State != MEM_COMMIT ||
                (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) || !(info.Protect & 0xEE))
                return false;
        }
        if (p[i] == '\0') return i > 0;
    }
    return false;
}

float SlotAsFloat(DWORD slot, D3DXPARAMETER_TYPE type)
{
    switch (type) {
    case D3DXPT_FLOAT: return std::bit_cast<float>(slot);
    case D3DXPT_INT: return static_cast<float>(static_cast<INT>(slot));
    case D3DXPT_BOOL: return slot ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}

INT SlotAsInt(DWORD slot, D3DXPARAMETER_TYPE type)
{
    switch (type) {
    case D3DXPT_FLOAT: return static_cast<INT>(std::bit_cast<float>(slot));
    case D3DXPT_INT: return static_cast<INT>(slot);
    case D3DXPT_BOOL: return slot ? 1 : 0;
    default: return 0;
    }
}

// D3DX reads any non-zero bit pattern as TRUE (so -0.0f counts as TRUE).
BOOL SlotAsBool(DWORD slot, D3DXPARAMETER_TYPE) { return slot ? TRUE : FALSE; }

DWORD FloatToSlot(float value, D3DXPARAMETER_TYPE type)
{
    switch (type) {
    case D3DXPT_FLOAT: return std::bit_cast<DWORD>(value);
    case D3DXPT_INT: return static_cast<DWORD>(static_cast<INT>(value));
    case D3DXPT_BOOL: return std::bit_cast<DWORD>(value) ? TRUE : FALSE;
    default: return 0;
    }
}

DWORD IntToSlot(INT value, D3DXPARAMETER_TYPE type)
{
    switch (type) {
    case D3DXPT_FLOAT: return std::bit_cast<DWORD>(static_cast<float>(value));
    case D3DXPT_INT: return static_cast<DWORD>(value);
    case D3DXPT_BOOL: return value ? TRUE : FALSE;
    default: return 0;
    }
}

DWORD BoolToSlot(BOOL value, D3DXPARAMETER_TYPE type)
{
    switch (type) {
    case D3DXPT_FLOAT: return std::bit_cast<DWORD>(value ? 1.0f : 0.0f);
    default: return value ? 1u : 0u;
    }
}

bool ParameterStore::Build(const std::vector<EffectParameter>& parameters, std::string* error)
{
    std::set<std::string> names;
    size_t slotCount = 0;
    size_t elementNodes = 0;
    for (const EffectParameter& p : parameters) {
        if (p.name.empty() || !names.insert(p.name).second) {
            if (error) *error = "parameter name '" + p.name + "' is empty or declared twice";
            return false;
        }
        if (p.kind == EffectParameterKind::String && p.elements) {
            if (error) *error = "string parameter '" + p.name + "' cannot be an array";
            return false;
        }
        if (p.kind == EffectParameterKind::Vector && (p.columns < 2 || p.columns > 4)) {
            if (error) *error = "vector parameter '" + p.name + "' must have 2 to 4 components";
            return false;
        }
        slotCount += ShapeOf(p).slots * (p.elements ? p.elements : 1);
        elementNodes += p.elements;
    }

    // Every node exists before any handle is handed out: the vector never grows afterwards.
    nodes_.reserve(parameters.size() + elementNodes);
    slots_.assign(slotCount, 0);
    size_t offset = 0;
    for (const EffectParameter& p : parameters) {
        KindShape shape = ShapeOf(p);
        ParameterNode node{p.name, p.semantic, p.kind, shape.cls, shape.type, shape.rows, shape.columns,
                           p.elements, shape.slots, offset, 0, false};
        nodes_.push_back(node);
        offset += node.Slots();
    }
    topLevel_ = nodes_.size();
    for (size_t i = 0; i < topLevel_; ++i) {
        if (!nodes_[i].elements) continue;
        nodes_[i].firstElement = nodes_.size();
        ParameterNode element = nodes_[i];
        element.elements = 0;
        element.isElement = true;
        for (UINT e = 0; e < nodes_[i].elements; ++e) {
            element.offset = nodes_[i].offset + e * element.elementSlots;
            nodes_.push_back(element);
        }
    }
    strings_.resize(nodes_.size());

    for (size_t i = 0; i < topLevel_; ++i) {
        const EffectParameter& p = parameters[i];
        ParameterNode& node = nodes_[i];
        if (node.type == D3DXPT_STRING) {
            StoreString(node, p.initialString.c_str());
            continue;
        }
        if (!node.IsNumeric()) continue;
        DWORD* slots = Slots(node);
        for (size_t k = 0; k < p.initial.size() && k < node.Slots(); ++k)
            slots[k] = FloatToSlot(p.initial[k], node.type);
    }
    return true;
}

ParameterStore::~ParameterStore()
{
    for (const ParameterNode& node : nodes_) {
        if (node.isElement || !node.IsTexture()) continue;
        for (UINT e = 0; e < node.Slots(); ++e)
            if (auto* texture = reinterpret_cast<IDirect3DBaseTexture9*>(slots_[node.offset + e]))
                texture->Release();
    }
}

bool ParameterStore::IsNode(const void* p) const
{
    auto first = reinterpret_cast<uintptr_t>(nodes_.data());
    auto address = reinterpret_cast<uintptr_t>(p);
    return address >= first && address < first + nodes_.size() * sizeof(ParameterNode) &&
           (address - first) % sizeof(ParameterNode) == 0;
}

const ParameterNode* ParameterStore::Resolve(D3DXHANDLE handle) const
{
    if (!handle) return nullptr;
    if (IsNode(handle)) return reinterpret_cast<const ParameterNode*>(handle);
    return IsReadableName(handle) ? ByName(nullptr, handle) : nullptr;
}

const ParameterNode* ParameterStore::Element(const ParameterNode& array, UINT index) const
{
    if (array.isElement || index >= array.elements) return nullptr;
    return &nodes_[array.firstElement + index];
}

const ParameterNode* ParameterStore::ByName(const ParameterNode* parent, const char* name) const
{
    if (!name) return parent;
    if (parent) {
        // Inside an array only "[i]" names an element.
        if (name[0] != '[') return nullptr;
        char* end = nullptr;
        unsigned long index = std::strtoul(name + 1, &end, 10);
        if (end == name + 1 || std::strcmp(end, "]") != 0) return nullptr;
        return Element(*parent, static_cast<UINT>(index));
    }
    const char* bracket = std::strchr(name, '[');
    size_t length = bracket ? static_cast<size_t>(bracket - name) : std::strlen(name);
    for (size_t i = 0; i < topLevel_; ++i) {
        const ParameterNode& node = nodes_[i];
        if (node.name.size() != length || node.name.compare(0, length, name, length) != 0) continue;
        return bracket ? ByName(&node, bracket) : &node;
    }
    return nullptr;
}

const ParameterNode* ParameterStore::BySemantic(const ParameterNode* parent, const char* semantic) const
{
    if (!semantic) return nullptr;
    if (parent) {
        for (UINT e = 0; e < parent->elements; ++e) {
            const ParameterNode* element = Element(*parent, e);
            if (!element->semantic.empty() && _stricmp(element->semantic.c_str(), semantic) == 0) return element;
        }
        return nullptr;
    }
    for (size_t i = 0; i < topLevel_; ++i)
        if (!nodes_[i].semantic.empty() && _stricmp(nodes_[i].semantic.c_str(), semantic) == 0) return &nodes_[i];
    return nullptr;
}

void ParameterStore::StoreTexture(const ParameterNode& node, UINT element, IDirect3DBaseTexture9* texture)
{
    DWORD& slot = slots_[node.offset + element];
    auto* old = reinterpret_cast<IDirect3DBaseTexture9*>(slot);
    if (old == texture) return;
    if (texture) texture->AddRef();
    if (old) old->Release();
    slot = reinterpret_cast<DWORD>(texture);
}

IDirect3DBaseTexture9* ParameterStore::Texture(const ParameterNode& node, UINT element) const
{
    return reinterpret_cast<IDirect3DBaseTexture9*>(slots_[node.offset + element]);
}

void ParameterStore::StoreString(const ParameterNode& node, const char* text)
{
    auto& owned = strings_[IndexOf(&node)];
    owned = std::make_unique<std::string>(text ? text : "");
    slots_[node.offset] = reinterpret_cast<DWORD>(owned->c_str());
}

void ParameterStore::CopyValuesFrom(const ParameterStore& other)
{
    for (size_t i = 0; i < topLevel_; ++i) {
        const ParameterNode& node = nodes_[i];
        if (node.IsTexture()) {
            for (UINT e = 0; e < node.Slots(); ++e) StoreTexture(node, e, other.Texture(node, e));
        } else if (node.type == D3DXPT_STRING) {
            StoreString(node, reinterpret_cast<const char*>(other.slots_[node.offset]));
        } else {
            std::memcpy(Slots(node), other.Slots(node), node.Bytes());
        }
    }
}

} // namespace refhost::effect
