#include "effect_file.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "effect_creation.h"
#include "effect_lexer.h"
#include "effect_states.h"

namespace refhost {

namespace {

using effect::Token;
using effect::TokenKind;

struct ParameterType {
    const char* name;
    EffectParameterKind kind;
    unsigned components; // numbers one value holds
};

constexpr ParameterType kParameterTypes[] = {
    {"bool", EffectParameterKind::Bool, 1},      {"int", EffectParameterKind::Int, 1},
    {"float", EffectParameterKind::Float, 1},    {"float2", EffectParameterKind::Vector, 2},
    {"float3", EffectParameterKind::Vector, 3},  {"float4", EffectParameterKind::Vector, 4},
    {"float4x4", EffectParameterKind::Matrix, 16}, {"texture", EffectParameterKind::Texture, 0},
    {"string", EffectParameterKind::String, 0},
};

const ParameterType* FindParameterType(const std::string& word)
{
    for (const ParameterType& t : kParameterTypes)
        if (word == t.name) return &t;
    return nullptr;
}

bool IsSamplerType(const std::string& word)
{
    return word == "sampler" || word == "sampler2D" || word == "sampler3D" || word == "samplerCUBE";
}

// A pass as read, before the shader texts are known (the HLSL source is complete only once the
// whole file has been blanked).
struct PassRead {
    size_t technique;
    EffectPass pass;
    bool hasVertex = false, hasPixel = false;
    int line;
};

class Reader {
public:
    Reader(const std::string& fileName, const std::string& text, EffectDescription* out, std::string* error)
        : file_(fileName), text_(text), source_(text), out_(out), error_(error)
    {
    }

    bool Read()
    {
        std::string reason;
        if (!effect::Tokenize(text_, &tokens_, &reason)) {
            *error_ = file_ + reason;
            return false;
        }
        while (Peek().kind != TokenKind::End)
            if (!ReadTopLevel()) return false;
        if (out_->techniques.empty()) return Refuse(Peek(), "the file has no technique");
        for (PassRead& p : passes_) {
            if (!p.hasVertex || !p.hasPixel)
                return RefuseAt(p.line, "pass '" + p.pass.name + "' sets no " + (p.hasVertex ? "PixelShader" : "VertexShader"));
            p.pass.vertexShader = source_;
            p.pass.pixelShader = source_;
            out_->techniques[p.technique].passes.push_back(std::move(p.pass));
        }
        return true;
    }

private:
    // ---- Tokens ----
    const Token& Peek() const { return tokens_[at_]; }
    const Token& Next()
    {
        const Token& t = Peek();
        if (at_ < tokens_.size() - 1) ++at_;
        return t;
    }
    bool Expect(const char* symbol, const char* where)
    {
        if (Peek().Is(symbol)) {
            Next();
            return true;
        }
        return Refuse(Peek(), std::string("'") + symbol + "' expected " + where + ", found " + Shown(Peek()));
    }
    static std::string Shown(const Token& t)
    {
        return t.kind == TokenKind::End ? std::string("the end of the file") : "'" + t.text + "'";
    }

    bool RefuseAt(int line, const std::string& what)
    {
        *error_ = file_ + "(" + std::to_string(line) + "): " + what;
        return false;
    }
    bool Refuse(const Token& at, const std::string& what) { return RefuseAt(at.line, what); }
    bool NotRead(const Token& at, const std::string& construct)
    {
        return Refuse(at, construct + " is not read by this effect reader");
    }

    // Blanks [begin, end) of the compiler's source, keeping line ends so line numbers stay.
    void Blank(size_t begin, size_t end)
    {
        for (size_t i = begin; i < end && i < source_.size(); ++i)
            if (source_[i] != '\n' && source_[i] != '\r') source_[i] = ' ';
    }

    // Skips a balanced group starting at the current `open` token; the closing token's end.
    bool SkipGroup(const char* open, const char* close, size_t* end)
    {
        const Token& first = Peek();
        int depth = 0;
        do {
            const Token& t = Next();
            if (t.kind == TokenKind::End) return Refuse(first, std::string("'") + open + "' without its '" + close + "'");
            if (t.Is(open)) ++depth;
            if (t.Is(close)) --depth;
            *end = t.end;
        } while (depth > 0);
        return true;
    }

    // `< type name = value; ... >`: numbers, vectors and strings, kept in `into` when given.
    bool ReadAnnotations(std::vector<EffectParameter>* into)
    {
        if (!Peek().Is("<")) return true;
        const Token& first = Next();
        while (!Peek().Is(">")) {
            if (Peek().kind == TokenKind::End) return Refuse(first, "annotations without their '>'");
            const Token& type = Next();
            const ParameterType* kind = FindParameterType(type.text);
            if (!kind || kind->kind == EffectParameterKind::Texture) return NotRead(type, "an annotation of type " + Shown(type));
            EffectParameter annotation;
            annotation.kind = kind->kind;
            if (kind->kind == EffectParameterKind::Vector) annotation.columns = kind->components;
            if (Peek().kind != TokenKind::Identifier) return Refuse(Peek(), "an annotation's name expected after '" + type.text + "'");
            annotation.name = Next().text;
            if (!Expect("=", "after the annotation's name") || !ReadInitialValue(*kind, &annotation) ||
                !Expect(";", "after the annotation"))
                return false;
            if (into) into->push_back(std::move(annotation));
        }
        Blank(first.begin, Next().end);
        return true;
    }

    // ---- Top level ----
    bool ReadTopLevel()
    {
        const Token& t = Peek();
        if (t.kind == TokenKind::Preprocessor) return NotRead(t, "the preprocessor line '" + t.text + "'");
        if (t.Is("struct")) return SkipStruct();
        if (t.Is("technique")) return ReadTechnique();
        if (t.Is(";")) {
            Next();
            return true;
        }
        if (t.kind != TokenKind::Identifier) return NotRead(t, Shown(t) + " at the top level");
        static const std::set<std::string> kRefusedWords = {
            "static", "const", "extern", "shared", "volatile", "row_major", "column_major", "inline",
            "typedef", "cbuffer", "tbuffer", "technique10", "technique11", "pass", "namespace", "interface",
            "class", "stateblock", "vertexshader", "pixelshader", "VertexShader", "PixelShader",
            "texture1D", "texture2D", "texture3D", "textureCUBE", "Texture1D", "Texture2D", "Texture3D",
            "TextureCube"};
        if (kRefusedWords.count(t.text)) return NotRead(t, "'" + t.text + "'");
        return ReadDeclaration();
    }

    bool SkipStruct()
    {
        Next(); // struct
        if (Peek().kind != TokenKind::Identifier) return Refuse(Peek(), "a struct needs a name");
        Next();
        size_t end = 0;
        if (!Peek().Is("{")) return Refuse(Peek(), "'{' expected after the struct's name");
        if (!SkipGroup("{", "}", &end)) return false;
        return Expect(";", "after the struct");
    }

    bool ReadDeclaration()
    {
        const size_t begin = Peek().begin;
        if (Peek().Is("uniform")) Next();
        const Token& type = Next();
        if (type.kind != TokenKind::Identifier) return NotRead(type, Shown(type) + " at the top level");
        const Token& name = Next();
        if (name.kind != TokenKind::Identifier) return Refuse(name, "a name expected after '" + type.text + "'");
        if (Peek().Is("(")) return SkipFunction();
        if (IsSamplerType(type.text)) return ReadSampler(type, name);
        const ParameterType* kind = FindParameterType(type.text);
        if (!kind) return NotRead(type, "a parameter of type '" + type.text + "'");
        if (!declared_.insert(name.text).second) return Refuse(name, "'" + name.text + "' is declared twice");

        EffectParameter p;
        p.name = name.text;
        p.kind = kind->kind;
        if (kind->kind == EffectParameterKind::Vector) p.columns = kind->components;
        if (Peek().Is("[")) {
            Next();
            const Token& count = Next();
            long n = count.kind == TokenKind::Number ? std::strtol(count.text.c_str(), nullptr, 0) : 0;
            if (n <= 0) return NotRead(count, "an array length other than a positive number");
            if (kind->components == 0) return NotRead(count, "an array of " + type.text);
            p.elements = static_cast<unsigned>(n);
            if (!Expect("]", "after the array's length")) return false;
        }
        if (Peek().Is(":")) {
            Next();
            const Token& semantic = Next();
            if (semantic.kind != TokenKind::Identifier) return Refuse(semantic, "a semantic expected after ':'");
            if (semantic.Is("register")) return NotRead(semantic, "'register'");
            p.semantic = semantic.text;
        }
        if (!ReadAnnotations(&p.annotations)) return false;
        if (Peek().Is("=")) {
            const size_t initialBegin = Peek().begin;
            Next();
            if (!ReadInitialValue(*kind, &p)) return false;
            Blank(initialBegin, Peek().begin);
        }
        if (Peek().Is(",")) return NotRead(Peek(), "more than one parameter in a declaration");
        const size_t end = Peek().end;
        if (!Expect(";", "after the parameter")) return false;
        // A string is an effect-only value that no shader reads: the whole declaration goes.
        if (p.kind == EffectParameterKind::String) Blank(begin, end);
        out_->parameters.push_back(std::move(p));
        return true;
    }

    bool SkipFunction()
    {
        size_t end = 0;
        if (!SkipGroup("(", ")", &end)) return false;
        if (Peek().Is(":")) {
            Next();
            if (Next().kind != TokenKind::Identifier) return Refuse(Peek(), "a semantic expected after ':'");
        }
        if (!Peek().Is("{")) return NotRead(Peek(), "a function declaration without a body");
        return SkipGroup("{", "}", &end);
    }

    static bool ParseNumber(const std::string& text, float* value)
    {
        std::string digits = text;
        if (!digits.empty() && (digits.back() == 'f' || digits.back() == 'F' || digits.back() == 'h' || digits.back() == 'H') &&
            digits.compare(0, 2, "0x") != 0)
            digits.pop_back();
        char* end = nullptr;
        *value = digits.compare(0, 2, "0x") == 0 || digits.compare(0, 2, "0X") == 0
                     ? static_cast<float>(std::strtoul(digits.c_str(), &end, 16))
                     : std::strtof(digits.c_str(), &end);
        return end && *end == '\0';
    }

    bool ReadInitialValue(const ParameterType& type, EffectParameter* p)
    {
        const Token& first = Peek();
        if (type.kind == EffectParameterKind::String) {
            if (Peek().kind != TokenKind::String) return NotRead(Peek(), "a string's initial value other than \"text\"");
            p->initialString = Next().text;
            return true;
        }
        if (type.components == 0) return NotRead(first, "an initial value of a " + std::string(type.name));
        int depth = 0;
        float sign = 1.0f;
        while (!(depth == 0 && (Peek().Is(";") || Peek().Is(",")))) {
            const Token& t = Next();
            float value = 0.0f;
            if (t.kind == TokenKind::End) return Refuse(first, "the initial value of '" + p->name + "' does not end");
            if (t.Is("{") || t.Is("(")) ++depth;
            else if (t.Is("}") || t.Is(")")) --depth;
            else if (t.Is(",")) continue;
            else if (t.Is("-")) sign = -sign;
            else if (t.Is("+")) continue;
            else if (t.Is("true") || t.Is("false")) {
                p->initial.push_back(t.Is("true") ? 1.0f : 0.0f);
                sign = 1.0f;
            } else if (t.kind == TokenKind::Number && ParseNumber(t.text, &value)) {
                p->initial.push_back(sign * value);
                sign = 1.0f;
            } else if (t.kind == TokenKind::Identifier && FindParameterType(t.text) && Peek().Is("(")) {
                continue; // a constructor such as float4(...): its numbers are read as a list
            } else {
                return NotRead(t, "the expression " + Shown(t) + " in an initial value (numbers only)");
            }
            if (depth < 0) return Refuse(t, "unbalanced brackets in the initial value of '" + p->name + "'");
        }
        const size_t expected = type.components * (p->elements ? p->elements : 1);
        if (p->initial.size() != expected)
            return Refuse(first, "the initial value of '" + p->name + "' has " + std::to_string(p->initial.size()) +
                                     " numbers, its type holds " + std::to_string(expected));
        return true;
    }

    // `<Name>` or `(Name)`: the name.
    bool ReadReference(std::string* name)
    {
        const char* close = Peek().Is("<") ? ">" : Peek().Is("(") ? ")" : nullptr;
        if (!close) return NotRead(Peek(), "the value " + Shown(Peek()) + " (a reference <Name> or (Name) expected)");
        Next();
        if (Peek().kind != TokenKind::Identifier) return Refuse(Peek(), "a name expected in the reference");
        *name = Next().text;
        return Expect(close, "after the reference");
    }

    // A state's value: a value word of the state, TRUE/FALSE, or a number.
    bool ReadStateValue(const effect::StateName& state, const Token& stateName, DWORD* value)
    {
        const Token& t = Next();
        float number = 0.0f;
        if (t.kind == TokenKind::Number && ParseNumber(t.text, &number)) {
            *value = static_cast<DWORD>(number);
            return true;
        }
        if (t.kind == TokenKind::Identifier)
            if (auto v = effect::StateValue(state.values, t.text)) {
                *value = *v;
                return true;
            }
        return NotRead(t, "the value " + Shown(t) + " of '" + stateName.text + "'");
    }

    bool ReadSampler(const Token& type, const Token& name)
    {
        if (!declared_.insert(name.text).second) return Refuse(name, "'" + name.text + "' is declared twice");
        EffectSamplerBinding sampler;
        sampler.sampler = name.text;
        sampler.type = type.Is("sampler2D") ? D3DXPT_SAMPLER2D : type.Is("sampler3D") ? D3DXPT_SAMPLER3D
                     : type.Is("samplerCUBE") ? D3DXPT_SAMPLERCUBE : D3DXPT_SAMPLER;
        if (Peek().Is("[")) return NotRead(Peek(), "an array of samplers");
        if (Peek().Is(":")) return NotRead(Peek(), "a sampler's semantic or register");
        if (!ReadAnnotations(nullptr)) return false;
        if (Peek().Is("=")) {
            const size_t stateBegin = Peek().begin;
            Next();
            if (!Peek().Is("sampler_state")) return NotRead(Peek(), "a sampler's value other than sampler_state { ... }");
            Next();
            if (!Expect("{", "after sampler_state")) return false;
            while (!Peek().Is("}")) {
                const Token& stateName = Next();
                if (stateName.kind != TokenKind::Identifier) return Refuse(stateName, "a sampler state expected, found " + Shown(stateName));
                if (!Expect("=", "after the sampler state's name")) return false;
                if (stateName.Is("Texture") || stateName.Is("texture")) {
                    if (!ReadReference(&sampler.texture)) return false;
                    const EffectParameter* texture = ParameterNamed(sampler.texture);
                    if (!texture || texture->kind != EffectParameterKind::Texture)
                        return Refuse(stateName, "'" + sampler.texture + "' is not a texture parameter declared before");
                } else {
                    auto state = effect::FindSamplerState(stateName.text);
                    if (!state) return NotRead(stateName, "the sampler state '" + stateName.text + "'");
                    DWORD value = 0;
                    if (!ReadStateValue(*state, stateName, &value)) return false;
                    sampler.states.emplace_back(static_cast<D3DSAMPLERSTATETYPE>(state->state), value);
                }
                if (!Expect(";", "after the sampler state")) return false;
            }
            Next(); // }
            Blank(stateBegin, Peek().begin);
        }
        if (!Expect(";", "after the sampler")) return false;
        // Without a Texture state the sampler takes the texture parameter of its own name.
        if (!sampler.texture.empty())
            out_->samplers.push_back(std::move(sampler));
        return true;
    }

    const EffectParameter* ParameterNamed(const std::string& name) const
    {
        for (const EffectParameter& p : out_->parameters)
            if (p.name == name) return &p;
        return nullptr;
    }

    // ---- Techniques ----
    bool ReadTechnique()
    {
        const Token& keyword = Next(); // technique
        EffectTechnique technique;
        if (Peek().kind == TokenKind::Identifier) technique.name = Next().text;
        for (const EffectTechnique& t : out_->techniques)
            if (!technique.name.empty() && t.name == technique.name)
                return Refuse(Peek(), "technique '" + technique.name + "' is declared twice");
        if (!ReadAnnotations(&technique.annotations) || !Expect("{", "after the technique's name")) return false;
        out_->techniques.push_back(technique);
        while (!Peek().Is("}")) {
            if (!Peek().Is("pass")) return NotRead(Peek(), Shown(Peek()) + " in a technique (only passes)");
            if (!ReadPass()) return false;
        }
        if (passes_.empty() || passes_.back().technique != out_->techniques.size() - 1)
            return Refuse(keyword, "technique '" + technique.name + "' has no pass");
        Blank(keyword.begin, Next().end);
        return true;
    }

    bool ReadPass()
    {
        PassRead read{out_->techniques.size() - 1, {}, false, false, Next().line};
        if (Peek().kind == TokenKind::Identifier) read.pass.name = Next().text;
        if (!ReadAnnotations(&read.pass.annotations) || !Expect("{", "after the pass's name")) return false;
        while (!Peek().Is("}")) {
            const Token& state = Next();
            if (state.kind != TokenKind::Identifier) return Refuse(state, "a pass state expected, found " + Shown(state));
            if (Peek().Is("["))
                return NotRead(state, "the pass state '" + state.text + "[]'");
            if (!Expect("=", "after the pass state's name")) return false;
            if (!ReadPassState(state, &read)) return false;
            if (!Expect(";", "after the pass state")) return false;
        }
        Next(); // }
        passes_.push_back(std::move(read));
        return true;
    }

    bool ReadPassState(const Token& state, PassRead* read)
    {
        if (state.Is("VertexShader") || state.Is("PixelShader"))
            return ReadShader(state.Is("VertexShader"), read);
        auto renderState = effect::FindRenderState(state.text);
        if (!renderState)
            return NotRead(state, "the pass state '" + state.text + "'");
        DWORD value = 0;
        if (!ReadStateValue(*renderState, state, &value)) return false;
        read->pass.renderStates.push_back({static_cast<D3DRENDERSTATETYPE>(renderState->state), value});
        return true;
    }

    bool ReadShader(bool vertex, PassRead* read)
    {
        (vertex ? read->hasVertex : read->hasPixel) = true;
        if (Peek().Is("compile")) {
            Next();
            const Token& profile = Next();
            const char* stage = vertex ? "vs_" : "ps_";
            if (profile.kind != TokenKind::Identifier || profile.text.compare(0, 3, stage) != 0)
                return Refuse(profile, std::string("a ") + stage + "profile expected after 'compile', found " + Shown(profile));
            const Token& entry = Next();
            if (entry.kind != TokenKind::Identifier) return Refuse(entry, "an entry point expected after the profile");
            if (!Expect("(", "after the entry point")) return false;
            if (!Peek().Is(")")) return NotRead(Peek(), "arguments in a compile statement");
            Next();
            (vertex ? read->pass.vertexEntry : read->pass.pixelEntry) = entry.text;
            (vertex ? read->pass.vertexProfile : read->pass.pixelProfile) = profile.text;
            return true;
        }
        return NotRead(Peek(), "the shader " + Shown(Peek()) + " (compile expected)");
    }

    const std::string& file_;
    const std::string& text_;
    std::string source_; // the text with what the compiler cannot take blanked out
    EffectDescription* out_;
    std::string* error_;
    std::vector<Token> tokens_;
    size_t at_ = 0;
    std::set<std::string> declared_; // parameter and sampler names
    std::vector<PassRead> passes_;
};

} // namespace

bool ReadEffectFile(const std::string& fileName, const std::string& text, EffectDescription* description,
                    std::string* error)
{
    std::string reason;
    *description = {};
    bool ok = Reader(fileName, text, description, &reason).Read();
    if (!ok) {
        *description = {};
        if (error) *error = reason;
    } else {
        description->sourceName = fileName;
    }
    return ok;
}

HostEffect* LoadEffectFile(int effectNumber, const char* path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error) *error = std::string(path) + ": the file cannot be opened";
        return nullptr;
    }
    std::ostringstream text;
    text << file.rdbuf();
    EffectDescription description;
    if (!ReadEffectFile(path, text.str(), &description, error)) return nullptr;
    std::string reason;
    HostEffect* effect = AddDescribedEffect(effectNumber, description, &reason);
    if (!effect && error) *error = std::string(path) + ": " + reason;
    return effect;
}

} // namespace refhost
