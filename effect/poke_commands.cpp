// Commands that write float vectors and a 4x4 matrix into memory the script names, so that scripts
// can lay out data for the pointer-style commands. Floats are stored in argument order, 4 bytes
// apart; nothing around them is touched. An address of 0 is ignored.
#include <cstring>

#include "exports.h"
#include "script_values.h"

namespace {

template <size_t N>
int StoreFloats(int address, const float (&values)[N])
{
    if (address == 0)
        return 0;
    std::memcpy(ScriptPointer<void>(address), values, sizeof(values));
    return 0;
}

} // namespace

RYXO_COMMAND PokeVector2(int address, float x, float y)
{
    return StoreFloats(address, {x, y});
}

RYXO_COMMAND PokeVector3(int address, float x, float y, float z)
{
    return StoreFloats(address, {x, y, z});
}

RYXO_COMMAND PokeVector4(int address, float x, float y, float z, float w)
{
    return StoreFloats(address, {x, y, z, w});
}

RYXO_COMMAND PokeMatrix4(int address, float m11, float m12, float m13, float m14, float m21, float m22,
                         float m23, float m24, float m31, float m32, float m33, float m34, float m41,
                         float m42, float m43, float m44)
{
    return StoreFloats(address, {m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44});
}
