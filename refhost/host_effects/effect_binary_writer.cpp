// The layout written here, as the effect framework reads it. All offsets count from the byte after
// the two header words (the tag and the size of the data part). The data part comes first and holds
// what the structures point into:
// - a text: its size including the terminating zero, the bytes, padded to 4 (offset 0 holds an
//   empty size: the text of nameless things);
// - a type: type, class, name, semantic, array size, then rows and columns (columns and rows for
//   a vector; nothing for an object);
// - a value: the numbers of every element, or one object number per element for textures, strings
//   and shaders, or for a sampler its state count and states.
// The structured part: parameter count, technique count, a word unused here, object count; per
// parameter its type, value, flags, annotation count and annotations (type and value); per
// technique its name, annotation and pass counts, annotations and passes; per pass its name,
// annotation and state counts, annotations and states (operation, index, type, value). Then the
// objects' data: a count of texts and a count of resources, each text as object number and sized
// bytes, each resource as technique (or ~0 for a parameter), pass or parameter, array element,
// state, usage (0: a shader's code; 1: the name of the parameter the state takes) and sized bytes.
#include "effect_binary_writer.h"

#include <bit>
#include <set>

#include "effect_binary_operations.h"

namespace refhost {

namespace {

using Bytes = std::vector<BYTE>;

constexpr DWORD kEffectTag = 0xFEFF0901;
constexpr DWORD kNone = 0xFFFFFFFF;
constexpr DWORD kShaderCode = 0, kParameterName = 1; // resource usages

void AppendWord(Bytes& to, DWORD word)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&word);
    to.insert(to.end(), bytes, bytes + sizeof word);
}

void AppendBytes(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

// Size, bytes, padding to the next word.
void AppendSized(Bytes& to, const Bytes& bytes)
{
    AppendWord(to, static_cast<DWORD>(bytes.size()));
    AppendBytes(to, bytes);
    to.resize((to.size() + 3) & ~size_t(3), 0);
}

// A text with its terminating zero, as texts are stored.
Bytes TextBytes(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

Bytes CodeBytes(const std::vector<DWORD>& code)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(code.data());
    return Bytes(bytes, bytes + code.size() * sizeof(DWORD));
}

struct Shape {
    D3DXPARAMETER_CLASS cls;
    D3DXPARAMETER_TYPE type;
    UINT rows, columns;
};

Shape CompiledShape(const EffectParameter& p)
{
    switch (p.kind) {
    case EffectParameterKind::Bool:
        return {D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1};
    case EffectParameterKind::Int:
        return {D3DXPC_SCALAR, D3DXPT_INT, 1, 1};
    case EffectParameterKind::Float:
        return {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1};
    case EffectParameterKind::Vector:
        return {D3DXPC_VECTOR, D3DXPT_FLOAT, 1, p.columns};
    case EffectParameterKind::Matrix:
        return {D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4};
    case EffectParameterKind::Texture:
        return {D3DXPC_OBJECT, p.textureType, 0, 0};
    case EffectParameterKind::String:
        return {D3DXPC_OBJECT, D3DXPT_STRING, 0, 0};
    }
    return {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1};
}

DWORD StoredWord(D3DXPARAMETER_TYPE type, float value)
{
    if (type == D3DXPT_BOOL)
        return value != 0.0f ? TRUE : FALSE;
    if (type == D3DXPT_INT)
        return static_cast<DWORD>(static_cast<INT>(value));
    return std::bit_cast<DWORD>(value);
}

// The stored words of a numeric parameter's initial value, in the description's order.
std::vector<DWORD> NumericWords(const EffectParameter& p, const Shape& s)
{
    std::vector<DWORD> words(s.rows * s.columns * (p.elements ? p.elements : 1), 0);
    for (size_t i = 0; i < words.size() && i < p.initial.size(); ++i)
        words[i] = StoredWord(s.type, p.initial[i]);
    return words;
}

struct State {
    DWORD operation, index, type, value;
};

struct Resource {
    DWORD technique, index, element, state, usage;
    Bytes bytes;
};

struct TextObject {
    DWORD object;
    std::string text;
};

// What the structures point into, gathered while they are written.
struct DataPart {
    Bytes bytes;
    DWORD objectCount = 1; // object 0 only passes names through
    DWORD numberType = 0;  // the type of the states that hold a plain number, once written
    std::vector<TextObject> texts;
    std::vector<Resource> resources;
};

DWORD Offset(const DataPart& data) { return static_cast<DWORD>(data.bytes.size()); }

DWORD AddText(DataPart& data, const std::string& text)
{
    if (text.empty())
        return 0;
    const DWORD at = Offset(data);
    AppendSized(data.bytes, TextBytes(text));
    return at;
}

DWORD AddWords(DataPart& data, const std::vector<DWORD>& words)
{
    const DWORD at = Offset(data);
    for (DWORD w : words)
        AppendWord(data.bytes, w);
    return at;
}

DWORD AddObject(DataPart& data) { return data.objectCount++; }

DWORD AddType(DataPart& data, D3DXPARAMETER_TYPE type, D3DXPARAMETER_CLASS cls, const std::string& name = {},
              const std::string& semantic = {}, UINT elements = 0, UINT rows = 0, UINT columns = 0)
{
    const DWORD nameAt = AddText(data, name);
    const DWORD semanticAt = AddText(data, semantic);
    std::vector<DWORD> words = {DWORD(type), DWORD(cls), nameAt, semanticAt, elements};
    if (cls == D3DXPC_VECTOR)
        words.insert(words.end(), {columns, rows});
    else if (cls != D3DXPC_OBJECT)
        words.insert(words.end(), {rows, columns});
    return AddWords(data, words);
}

// A state holding a plain number (render and sampler states).
State NumberState(DataPart& data, DWORD operation, DWORD value)
{
    if (!data.numberType)
        data.numberType = AddType(data, D3DXPT_INT, D3DXPC_SCALAR, {}, {}, 0, 1, 1);
    return {operation, 0, data.numberType, AddWords(data, {value})};
}

// A state holding a new object: a shader or a sampler's texture.
State ObjectState(DataPart& data, DWORD operation, D3DXPARAMETER_TYPE type)
{
    const DWORD typeAt = AddType(data, type, D3DXPC_OBJECT);
    return {operation, 0, typeAt, AddWords(data, {AddObject(data)})};
}

void AppendStates(Bytes& to, const std::vector<State>& states)
{
    for (const State& s : states)
        for (DWORD w : {s.operation, s.index, s.type, s.value})
            AppendWord(to, w);
}

// The type and value offsets of a parameter or annotation.
void AppendTypeAndValue(DataPart& data, const EffectParameter& p, Bytes& to)
{
    const Shape s = CompiledShape(p);
    AppendWord(to, AddType(data, s.type, s.cls, p.name, p.semantic, p.elements, s.rows, s.columns));
    std::vector<DWORD> value;
    if (s.cls != D3DXPC_OBJECT)
        value = NumericWords(p, s);
    for (UINT e = 0; s.cls == D3DXPC_OBJECT && e < (p.elements ? p.elements : 1); ++e)
        value.push_back(AddObject(data));
    if (s.type == D3DXPT_STRING)
        data.texts.push_back({value.front(), p.initialString});
    AppendWord(to, AddWords(data, value));
}

void AppendAnnotations(DataPart& data, const std::vector<EffectParameter>& annotations, Bytes& to)
{
    for (const EffectParameter& a : annotations)
        AppendTypeAndValue(data, a, to);
}

bool Fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what;
    return false;
}

// The names the framework looks parameters up by: none empty, none twice.
bool NamesAreDistinct(const EffectDescription& d, std::string* error)
{
    std::set<std::string> names;
    for (const EffectParameter& p : d.parameters)
        if (p.name.empty() || !names.insert(p.name).second)
            return Fail(error, "parameter name '" + p.name + "' is empty or declared twice");
    for (const EffectSamplerBinding& s : d.samplers)
        if (s.sampler.empty() || !names.insert(s.sampler).second)
            return Fail(error, "sampler name '" + s.sampler + "' is empty or declared twice");
    return true;
}

void AppendParameter(DataPart& data, const EffectParameter& p, Bytes& to)
{
    AppendTypeAndValue(data, p, to);
    AppendWord(to, 0); // flags
    AppendWord(to, static_cast<DWORD>(p.annotations.size()));
    AppendAnnotations(data, p.annotations, to);
}

bool DeclaresTexture(const EffectDescription& d, const std::string& name)
{
    for (const EffectParameter& p : d.parameters)
        if (p.name == name && p.kind == EffectParameterKind::Texture)
            return true;
    return false;
}

// A sampler parameter: its value is its states, the first naming the texture it samples.
bool AppendSampler(DataPart& data, const EffectDescription& d, DWORD parameterIndex, Bytes& to, std::string* error)
{
    const EffectSamplerBinding& s = d.samplers[parameterIndex - d.parameters.size()];
    if (!DeclaresTexture(d, s.texture))
        return Fail(error, "sampler '" + s.sampler + "' takes '" + s.texture + "', which is no texture parameter");
    const DWORD typeAt = AddType(data, s.type, D3DXPC_OBJECT, s.sampler);
    std::vector<State> states = {ObjectState(data, effect::kTextureOperation, D3DXPT_TEXTURE)};
    data.resources.push_back({kNone, parameterIndex, kNone, 0, kParameterName, TextBytes(s.texture)});
    for (const auto& [state, value] : s.states) {
        const auto operation = effect::SamplerStateOperation(state);
        if (!operation)
            return Fail(error,
                        "sampler '" + s.sampler + "': sampler state " + std::to_string(state) + " has no operation");
        states.push_back(NumberState(data, *operation, value));
    }
    Bytes value;
    AppendWord(value, static_cast<DWORD>(states.size()));
    AppendStates(value, states);
    const DWORD valueAt = Offset(data);
    AppendBytes(data.bytes, value);
    for (DWORD w : {typeAt, valueAt, DWORD(0), DWORD(0)})
        AppendWord(to, w);
    return true;
}

// The pass's shaders (their code kept as resources of the pass) and render states.
bool PassStates(DataPart& data, const EffectPass& pass, const PassCode& code, DWORD technique, DWORD passIndex,
                std::vector<State>* states, std::string* error)
{
    const std::pair<DWORD, const std::vector<DWORD>*> shaders[] = {
        {effect::kVertexShaderOperation, &code.vertexShader},
        {effect::kPixelShaderOperation, &code.pixelShader},
    };
    for (const auto& [operation, words] : shaders) {
        const auto stateIndex = static_cast<DWORD>(states->size());
        const bool vertex = operation == effect::kVertexShaderOperation;
        states->push_back(ObjectState(data, operation, vertex ? D3DXPT_VERTEXSHADER : D3DXPT_PIXELSHADER));
        data.resources.push_back({technique, passIndex, kNone, stateIndex, kShaderCode, CodeBytes(*words)});
    }
    for (const EffectRenderState& rs : pass.renderStates) {
        const auto operation = effect::RenderStateOperation(rs.state);
        if (!operation)
            return Fail(error, "render state " + std::to_string(rs.state) + " has no operation");
        states->push_back(NumberState(data, *operation, rs.value));
    }
    return true;
}

bool AppendTechnique(DataPart& data, const EffectDescription& d, const EffectCode& code, DWORD t, Bytes& to,
                     std::string* error)
{
    const EffectTechnique& technique = d.techniques[t];
    if (t >= code.size() || code[t].size() != technique.passes.size())
        return Fail(error, "technique '" + technique.name + "' has no code for each of its passes");
    AppendWord(to, AddText(data, technique.name));
    AppendWord(to, static_cast<DWORD>(technique.annotations.size()));
    AppendWord(to, static_cast<DWORD>(technique.passes.size()));
    AppendAnnotations(data, technique.annotations, to);
    for (DWORD p = 0; p < technique.passes.size(); ++p) {
        const EffectPass& pass = technique.passes[p];
        std::vector<State> states;
        AppendWord(to, AddText(data, pass.name));
        if (!PassStates(data, pass, code[t][p], t, p, &states, error))
            return Fail(error, "technique '" + technique.name + "' pass '" + pass.name + "': " + *error);
        AppendWord(to, static_cast<DWORD>(pass.annotations.size()));
        AppendWord(to, static_cast<DWORD>(states.size()));
        AppendAnnotations(data, pass.annotations, to);
        AppendStates(to, states);
    }
    return true;
}

void AppendObjects(const DataPart& data, Bytes& to)
{
    AppendWord(to, static_cast<DWORD>(data.texts.size()));
    AppendWord(to, static_cast<DWORD>(data.resources.size()));
    for (const TextObject& t : data.texts) {
        AppendWord(to, t.object);
        AppendSized(to, TextBytes(t.text));
    }
    for (const Resource& r : data.resources) {
        for (DWORD w : {r.technique, r.index, r.element, r.state, r.usage})
            AppendWord(to, w);
        AppendSized(to, r.bytes);
    }
}

} // namespace

bool WriteEffectBinary(const EffectDescription& description, const EffectCode& code, std::vector<BYTE>* binary,
                       std::string* error)
{
    // An effect without technique is written as it is: the framework loads it (as it loads a pool
    // of shared parameters) and answers its Begin with D3DERR_INVALIDCALL.
    const EffectDescription& d = description;
    std::string reason;
    std::string* why = error ? error : &reason;
    if (!NamesAreDistinct(d, why))
        return false;
    DataPart data;
    AppendWord(data.bytes, 0); // offset 0: the empty text
    Bytes parameters, techniques;
    for (const EffectParameter& p : d.parameters)
        AppendParameter(data, p, parameters);
    for (size_t i = d.parameters.size(); i < d.parameters.size() + d.samplers.size(); ++i)
        if (!AppendSampler(data, d, static_cast<DWORD>(i), parameters, why))
            return false;
    for (DWORD t = 0; t < d.techniques.size(); ++t)
        if (!AppendTechnique(data, d, code, t, techniques, why))
            return false;

    Bytes& out = *binary;
    out.clear();
    AppendWord(out, kEffectTag);
    AppendWord(out, Offset(data));
    AppendBytes(out, data.bytes);
    for (size_t count :
         {d.parameters.size() + d.samplers.size(), d.techniques.size(), size_t(0), size_t(data.objectCount)})
        AppendWord(out, static_cast<DWORD>(count));
    AppendBytes(out, parameters);
    AppendBytes(out, techniques);
    AppendObjects(data, out);
    return true;
}

} // namespace refhost
