#include "shader_compiler.h"

#include <map>

#include <d3dcompiler.h>

#include "com.h"

namespace refhost::effect {

namespace {

struct Compiler {
    pD3DCompile compile = nullptr;
    std::string failure; // why there is no compiler
};

// RYXO_COMPILER_DIR: the build's compiler/ folder as a Windows path, set by the build.
const Compiler& LoadCompiler()
{
    static const Compiler compiler = [] {
        Compiler c;
        std::string path = std::string(RYXO_COMPILER_DIR) + "/d3dcompiler_47.dll";
        for (char& ch : path)
            if (ch == '/') ch = '\\';
        // The altered search path makes the loader find its renamed wined3d (w10d3d.dll) beside it.
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module) {
            c.failure = "the HLSL compiler " + path + " cannot be loaded: run tools/setup.sh, which installs it";
            return c;
        }
        c.compile = reinterpret_cast<pD3DCompile>(reinterpret_cast<void*>(GetProcAddress(module, "D3DCompile")));
        if (!c.compile) c.failure = path + " has no D3DCompile: run tools/setup.sh again after removing build/compiler/";
        return c;
    }();
    return compiler;
}

// The compiler's messages, as text.
std::string MessageText(ID3DBlob* messages)
{
    if (!messages) return {};
    std::string text(static_cast<const char*>(messages->GetBufferPointer()), messages->GetBufferSize());
    while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

} // namespace

bool CompileShader(const std::string& source, const std::string& entry, const std::string& profile,
                   const std::string& sourceName, std::vector<DWORD>* code, std::string* error)
{
    static std::map<std::string, std::vector<DWORD>> cache;
    std::string key = profile + '\n' + entry + '\n' + source;
    if (auto it = cache.find(key); it != cache.end()) {
        *code = it->second;
        return true;
    }
    auto fail = [&](const std::string& text) {
        if (error) {
            *error = profile + " shader does not compile";
            if (!text.empty()) *error += ": " + text;
        }
        return false;
    };
    const Compiler& compiler = LoadCompiler();
    if (!compiler.compile)
        return fail(compiler.failure);
    Com<ID3DBlob> compiled, messages;
    HRESULT hr = compiler.compile(source.data(), source.size(), sourceName.c_str(), nullptr, nullptr, entry.c_str(),
                                  profile.c_str(), 0, 0, compiled.put(), messages.put());
    std::string text = MessageText(messages.ptr());
    // A compiler that gives up on a feature it has not implemented may still answer S_OK, with
    // code that does not do what the source says: such code is refused like code that does not
    // compile.
    if (FAILED(hr) || !compiled || text.find("not yet implemented") != std::string::npos)
        return fail(text);
    const auto* words = static_cast<const DWORD*>(compiled->GetBufferPointer());
    code->assign(words, words + compiled->GetBufferSize() / sizeof(DWORD));
    cache.emplace(std::move(key), *code);
    return true;
}

} // namespace refhost::effect
