#include "command_call.h"

namespace script {

uint32_t CallCommandExport(FARPROC function, const uint32_t (&v)[kMostCommandValues])
{
    using Export = uint32_t(__cdecl*)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                      uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                      uint32_t, uint32_t);
    const auto call = reinterpret_cast<Export>(reinterpret_cast<void*>(function));
    return call(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13], v[14], v[15],
                v[16], v[17]);
}

} // namespace script
