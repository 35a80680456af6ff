// The layout written here, as the effect framework reads it. All offsets count from the byte after
// the two header words (the tag and the offset of the structured part). Before the structured part
// lies the data the structures point into:
// - a text: its size including the terminating zero (0 for none), the bytes, padded to 4;
// - a type: type, class, name, semantic, array size, then rows and columns (columns and rows for
//   a vector; nothing for an object);
// - a value: the numbers of every element, or one object number per element for textures, strings
//   and shaders, or for a sampler its state count and states.
// The structured part: parameter count, technique count, a word unused here, object count; per
// parameter its type, value, flags, annotation count and annotations (type and value); per
// technique its name, annotation and pass counts, annotations and passes; per pass its name,
// annotation and state counts, annotations and states (operation, index, type, value). Then the objects' data: a count of texts and a count of resources, each text
// as object number and sized bytes, each resource as technique (or ~0 for a parameter), pass or
// parameter, array element, state, usage (0: a shader's code; 1: the name of the parameter the
// state takes) and sized bytes.
#include "effect_binary_writer.h"

#include <bit>
#include <cstring>
#include <map>
#include <set>

#include "com.h"
#include "effect_binary_operations.h"
#include "shader_compiler.h"

namespace refhost {

namespace {

constexpr DWORD kEffectTag = 0xFEFF0901;
constexpr DWORD kNone = 0xFFFFFFFF;
constexpr DWORD kShaderCode = 0, kParameterName = 1; // resource usages

struct Shape {
    D3DXPARAMETER_CLASS cls;
    D3DXPARAMETER_TYPE type;
    UINT rows, columns;
};

Shape CompiledShape(const EffectParameter& p)
{
    switch (p.kind) {
    case EffectParameterKind::Bool: return {D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1};
    case EffectParameterKind::Int: return {D3DXPC_SCALAR, D3DXPT_INT, 1, 1};
    case EffectParameterKind::Float: return {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1};
    case EffectParameterKind::Vector: return {D3DXPC_VECTOR, D3DXPT_FLOAT, 1, p.columns};
    case EffectParameterKind::Matrix: return {D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4};
    case EffectParameterKind::Texture: return {D3DXPC_OBJECT, p.textureType, 0, 0};
    case EffectParameterKind::String: return {D3DXPC_OBJECT, D3DXPT_STRING, 0, 0};
    }
    return {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1};
}

// The stored words of a numeric parameter's initial value, in the description's order.
std::vector<DWORD> NumericWords(const EffectParameter& p, const Shape& s)
{
    std::vector<DWORD> words(s.rows * s.columns * (p.elements ? p.elements : 1), 0);
    for (size_t i = 0; i < words.size() && i < p.initial.size(); ++i) {
        const float v = p.initial[i];
        words[i] = s.type == D3DXPT_BOOL  ? (v != 0.0f ? TRUE : FALSE)
                   : s.type == D3DXPT_INT ? static_cast<DWORD>(static_cast<INT>(v))
                                          : std::bit_cast<DWORD>(v);
    }
    return words;
}

// A text with its terminating zero, as texts are stored.
std::vector<BYTE> TextBytes(const std::string& text)
{
    return std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1);
}

struct State {
    DWORD operation, index, type, value;
};

struct Resource {
    DWORD technique, index, element, state, usage;
    std::vector<BYTE> bytes;
};

struct TextObject {
    DWORD object;
    std::string text;
};

class Writer {
public:
    explicit Writer(std::string* error) : error_(error) {}

    bool Write(const EffectDescription& d, std::vector<BYTE>* out)
    {
        samplers_ = &d.samplers;
        sourceName_ = d.sourceName;
        std::set<std::string> names;
        for (const EffectParameter& p : d.parameters)
            if (p.name.empty() || !names.insert(p.name).second) return Fail("parameter name '" + p.name + "' is empty or declared twice");
        for (const EffectSamplerBinding& s : d.samplers)
            if (s.sampler.empty() || !names.insert(s.sampler).second) return Fail("sampler name '" + s.sampler + "' is empty or declared twice");
        Word(data_, 0); // offset 0: the empty text, for nameless things
        std::vector<BYTE> parameters;
        for (const EffectParameter& p : d.parameters) WriteParameter(p, parameters);
        for (const EffectSamplerBinding& s : d.samplers)
            if (!WriteSampler(s, static_cast<DWORD>(d.parameters.size() + (&s - d.samplers.data())), parameters))
                return false;
        std::vector<BYTE> techniques;
        for (size_t t = 0; t < d.techniques.size(); ++t)
            if (!WriteTechnique(d, static_cast<DWORD>(t), techniques)) return false;

        std::vector<BYTE> body;
        Word(body, static_cast<DWORD>(d.parameters.size() + d.samplers.size()));
        Word(body, static_cast<DWORD>(d.techniques.size()));
        Word(body, 0);
        Word(body, nextObject_);
        Append(body, parameters);
        Append(body, techniques);
        Word(body, static_cast<DWORD>(texts_.size()));
        Word(body, static_cast<DWORD>(resources_.size()));
        for (const TextObject& t : texts_) {
            Word(body, t.object);
            Sized(body, TextBytes(t.text));
        }
        for (const Resource& r : resources_) {
            for (DWORD w : {r.technique, r.index, r.element, r.state, r.usage}) Word(body, w);
            Sized(body, r.bytes);
        }

        out->clear();
        Word(*out, kEffectTag);
        Word(*out, static_cast<DWORD>(data_.size()));
        Append(*out, data_);
        Append(*out, body);
        return true;
    }

private:
    static void Word(std::vector<BYTE>& to, DWORD w)
    {
        const BYTE* b = reinterpret_cast<const BYTE*>(&w);
        to.insert(to.end(), b, b + sizeof w);
    }
    static void Append(std::vector<BYTE>& to, const std::vector<BYTE>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }
    // Size, bytes, padding to the next word.
    static void Sized(std::vector<BYTE>& to, const std::vector<BYTE>& bytes)
    {
        Word(to, static_cast<DWORD>(bytes.size()));
        Append(to, bytes);
        to.resize((to.size() + 3) & ~size_t(3), 0);
    }

    DWORD Offset() const { return static_cast<DWORD>(data_.size()); }
    DWORD Text(const std::string& text)
    {
        if (text.empty()) return 0;
        const DWORD at = Offset();
        Sized(data_, TextBytes(text));
        return at;
    }
    DWORD Words(const std::vector<DWORD>& words)
    {
        const DWORD at = Offset();
        for (DWORD w : words) Word(data_, w);
        return at;
    }
    DWORD Type(D3DXPARAMETER_TYPE type, D3DXPARAMETER_CLASS cls, const std::string& name = {},
               const std::string& semantic = {}, UINT elements = 0, UINT rows = 0, UINT columns = 0)
    {
        const DWORD nameAt = Text(name), semanticAt = Text(semantic);
        std::vector<DWORD> words = {DWORD(type), DWORD(cls), nameAt, semanticAt, elements};
        if (cls == D3DXPC_VECTOR) words.insert(words.end(), {columns, rows});
        else if (cls != D3DXPC_OBJECT) words.insert(words.end(), {rows, columns});
        return Words(words);
    }
    DWORD NewObject() { return nextObject_++; }
    // A state holding a plain number (render and sampler states).
    State NumberState(DWORD operation, DWORD value)
    {
        if (!numberType_) numberType_ = Type(D3DXPT_INT, D3DXPC_SCALAR, {}, {}, 0, 1, 1);
        return {operation, 0, numberType_, Words({value})};
    }

    bool Fail(const std::string& what)
    {
        if (error_) *error_ = what;
        return false;
    }

    static void WriteStates(const std::vector<State>& states, std::vector<BYTE>& to)
    {
        for (const State& s : states)
            for (DWORD w : {s.operation, s.index, s.type, s.value}) Word(to, w);
    }

    // The type and value offsets of a parameter or annotation.
    std::pair<DWORD, DWORD> TypeAndValue(const EffectParameter& p)
    {
        const Shape s = CompiledShape(p);
        const DWORD type = Type(s.type, s.cls, p.name, p.semantic, p.elements, s.rows, s.columns);
        std::vector<DWORD> value;
        if (s.cls != D3DXPC_OBJECT) {
            value = NumericWords(p, s);
        } else {
            for (UINT e = 0; e < (p.elements ? p.elements : 1); ++e) value.push_back(NewObject());
            if (s.type == D3DXPT_STRING) texts_.push_back({value.front(), p.initialString});
        }
        return {type, Words(value)};
    }

    // The annotation count, then each annotation's type and value.
    void WriteAnnotations(const std::vector<EffectParameter>& annotations, std::vector<BYTE>& count, std::vector<BYTE>& to)
    {
        Word(count, static_cast<DWORD>(annotations.size()));
        for (const EffectParameter& a : annotations) {
            const auto [type, value] = TypeAndValue(a);
            Word(to, type);
            Word(to, value);
        }
    }

    void WriteParameter(const EffectParameter& p, std::vector<BYTE>& to)
    {
        const auto at = parameterAt_[p.name] = TypeAndValue(p);
        for (DWORD w : {at.first, at.second, DWORD(0)}) Word(to, w);
        std::vector<BYTE> annotations;
        WriteAnnotations(p.annotations, to, annotations);
        Append(to, annotations);
    }

    bool WriteSampler(const EffectSamplerBinding& s, DWORD parameterIndex, std::vector<BYTE>& to)
    {
        if (!parameterAt_.count(s.texture)) return Fail("sampler '" + s.sampler + "' takes the undeclared texture '" + s.texture + "'");
        std::vector<State> states;
        states.push_back({effect::kTextureOperation, 0, Type(D3DXPT_TEXTURE, D3DXPC_OBJECT), Words({NewObject()})});
        resources_.push_back({kNone, parameterIndex, kNone, 0, kParameterName, TextBytes(s.texture)});
        for (const auto& [state, value] : s.states) {
            auto operation = effect::SamplerStateOperation(state);
            if (!operation) return Fail("sampler '" + s.sampler + "': sampler state " + std::to_string(state) + " has no operation");
            states.push_back(NumberState(*operation, value));
        }
        std::vector<BYTE> value;
        Word(value, static_cast<DWORD>(states.size()));
        WriteStates(states, value);
        const DWORD type = Type(s.type, D3DXPC_OBJECT, s.sampler);
        const DWORD valueAt = Offset();
        Append(data_, value);
        samplerAt_[s.sampler] = type;
        for (DWORD w : {type, valueAt, DWORD(0), DWORD(0)}) Word(to, w);
        return true;
    }

    // The framework binds a shader's sampler constant to the sampler parameter of its name and
    // refuses the whole effect when a parameter of that name is no sampler.
    bool SamplersAreSamplers(const std::vector<DWORD>& code, const std::string& where)
    {
        Com<ID3DXConstantTable> table;
        D3DXCONSTANTTABLE_DESC desc{};
        if (FAILED(D3DXGetShaderConstantTable(code.data(), table.put())) || !table || FAILED(table->GetDesc(&desc)))
            return true; // assembly: its registers are bound by the pass
        for (UINT i = 0; i < desc.Constants; ++i) {
            D3DXCONSTANT_DESC c{};
            UINT count = 1;
            if (FAILED(table->GetConstantDesc(table->GetConstant(nullptr, i), &c, &count)) || c.RegisterSet != D3DXRS_SAMPLER) continue;
            if (c.Name && parameterAt_.count(c.Name))
                return Fail(where + ": the shader samples '" + c.Name + "', a parameter that is no sampler (declare a sampler whose "
                                    "sampler_state names the texture)");
        }
        return true;
    }

    bool WriteShader(const std::string& text, const std::string& entry, const std::string& profile, bool vertex,
                     const std::string& where, DWORD technique, DWORD pass, std::vector<State>& states)
    {
        std::vector<DWORD> code;
        std::string reason;
        if (!effect::CompileShader(text, entry, profile, sourceName_, &code, &reason)) return Fail(where + ": " + reason);
        if (!SamplersAreSamplers(code, where)) return false;
        const DWORD type = Type(vertex ? D3DXPT_VERTEXSHADER : D3DXPT_PIXELSHADER, D3DXPC_OBJECT);
        resources_.push_back({technique, pass, kNone, static_cast<DWORD>(states.size()), kShaderCode,
                              std::vector<BYTE>(reinterpret_cast<const BYTE*>(code.data()),
                                                reinterpret_cast<const BYTE*>(code.data() + code.size()))});
        states.push_back({vertex ? effect::kVertexShaderOperation : effect::kPixelShaderOperation, 0, type, Words({NewObject()})});
        return true;
    }

    // The sampler a sampler register takes: the one the register names, or else the first whose
    // Texture is the register's texture.
    const EffectSamplerBinding* SamplerOf(const EffectRegister& r) const
    {
        for (const EffectSamplerBinding& s : *samplers_)
            if (r.sampler.empty() ? s.texture == r.parameter : s.sampler == r.sampler) return &s;
        return nullptr;
    }

    // A state taking a parameter by name: its own type and value are the parameter's.
    bool WriteRegister(const EffectRegister& r, bool vertex, const std::string& where, DWORD technique, DWORD pass,
                       std::vector<State>& states)
    {
        const DWORD stateIndex = static_cast<DWORD>(states.size());
        const std::string registerName = where + ": register " + std::to_string(r.index);
        std::string name = r.parameter;
        const auto parameter = parameterAt_.find(r.parameter);
        if (r.set == D3DXRS_SAMPLER && SamplerOf(r)) {
            name = SamplerOf(r)->sampler;
            states.push_back({effect::kSamplerOperation, r.index, samplerAt_[name], Words({0})}); // no states of its own
        } else if (!r.sampler.empty()) {
            return Fail(registerName + " names no sampler '" + r.sampler + "'");
        } else if (parameter == parameterAt_.end()) {
            return Fail(registerName + " names no parameter '" + r.parameter + "'");
        } else if (r.set == D3DXRS_SAMPLER) {
            states.push_back({effect::kTextureOperation, r.index, Type(D3DXPT_TEXTURE, D3DXPC_OBJECT), Words({NewObject()})});
        } else {
            using namespace effect;
            const DWORD operation = r.set == D3DXRS_BOOL ? (vertex ? kVertexShaderConstantBOperation : kPixelShaderConstantBOperation)
                                    : r.set == D3DXRS_INT4 ? (vertex ? kVertexShaderConstantIOperation : kPixelShaderConstantIOperation)
                                    : vertex ? kVertexShaderConstantFOperation : kPixelShaderConstantFOperation;
            states.push_back({operation, r.index, parameter->second.first, parameter->second.second});
        }
        resources_.push_back({technique, pass, kNone, stateIndex, kParameterName, TextBytes(name)});
        return true;
    }

    bool WriteTechnique(const EffectDescription& d, DWORD t, std::vector<BYTE>& to)
    {
        const EffectTechnique& technique = d.techniques[t];
        std::vector<BYTE> annotations;
        Word(to, Text(technique.name));
        WriteAnnotations(technique.annotations, to, annotations);
        Word(to, static_cast<DWORD>(technique.passes.size()));
        Append(to, annotations);
        for (size_t p = 0; p < technique.passes.size(); ++p) {
            const EffectPass& pass = technique.passes[p];
            const std::string where = "technique '" + technique.name + "' pass '" + pass.name + "'";
            std::vector<State> states;
            if (!WriteShader(pass.vertexShader, pass.vertexEntry, pass.vertexProfile, true, where, t, DWORD(p), states) ||
                !WriteShader(pass.pixelShader, pass.pixelEntry, pass.pixelProfile, false, where, t, DWORD(p), states))
                return false;
            for (const EffectRegister& r : pass.vertexRegisters)
                if (!WriteRegister(r, true, where, t, DWORD(p), states)) return false;
            for (const EffectRegister& r : pass.pixelRegisters)
                if (!WriteRegister(r, false, where, t, DWORD(p), states)) return false;
            for (const EffectRenderState& rs : pass.renderStates) {
                auto operation = effect::RenderStateOperation(rs.state);
                if (!operation) return Fail(where + ": render state " + std::to_string(rs.state) + " has no operation");
                states.push_back(NumberState(*operation, rs.value));
            }
            std::vector<BYTE> passAnnotations;
            Word(to, Text(pass.name));
            WriteAnnotations(pass.annotations, to, passAnnotations);
            Word(to, static_cast<DWORD>(states.size()));
            Append(to, passAnnotations);
            WriteStates(states, to);
        }
        return true;
    }

    std::string* error_;
    const std::vector<EffectSamplerBinding>* samplers_ = nullptr;
    std::string sourceName_; // the compiler's messages name it as the file
    std::vector<BYTE> data_;
    DWORD nextObject_ = 1; // object 0 only passes names through
    DWORD numberType_ = 0;
    std::map<std::string, std::pair<DWORD, DWORD>> parameterAt_; // name: type and value offsets
    std::map<std::string, DWORD> samplerAt_;                     // name: type offset
    std::vector<TextObject> texts_;
    std::vector<Resource> resources_;
};

} // namespace

bool WriteEffectBinary(const EffectDescription& description, std::vector<BYTE>* binary, std::string* error)
{
    // An effect without technique is written as it is: the framework loads it (as it loads a pool of
    // shared parameters) and answers its Begin with D3DERR_INVALIDCALL.
    return Writer(error).Write(description, binary);
}

} // namespace refhost
