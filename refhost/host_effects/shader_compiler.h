// Compiles one HLSL shader of a host effect with D3DCompile of Wine 10's d3dcompiler_47.dll
// (installed into build/compiler/ by tools/setup.sh; Wine 8's own HLSL compiler refuses or
// mis-compiles common intrinsics such as tex2D, dot and normalize).
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace refhost::effect {

// Compiles `source` from `entry` with `profile` ("vs_3_0", "ps_2_0", ...) into `code`. The
// compiler's messages name `sourceName` as the file, with the line. False with the reason in
// `error` when the text does not compile, when the compiler's messages say a feature is "not yet
// implemented" (its code would not do what the source says) or when the compiler is not installed.
// Compiled code is kept for the life of the process: compiling the same text again gives the same
// code, and tests and scenes make many effects from the same few shaders.
bool CompileShader(const std::string& source, const std::string& entry, const std::string& profile,
                   const std::string& sourceName, std::vector<DWORD>* code, std::string* error);

} // namespace refhost::effect
