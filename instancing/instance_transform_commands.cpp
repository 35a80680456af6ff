// Per-instance position, rotation and scale, the world matrix built from them, and direct access
// to the world matrix. These run tens of thousands of times a frame: a handle lookup, one check,
// a store.
#include <cstdint>
#include <cstring>

#include <xmmintrin.h>

#include "command_set.h"
#include "exports.h"
#include "script_values.h"
#include "instance_checks.h"
#include "instance_transform.h"

namespace {

constexpr uintptr_t kInstancesFetchedAhead = 16;

template <typename Field>
int SetTransformTriple(int handle, int n, float x, float y, float z, const char* title, Field field,
                       float factor = 1.0f)
{
    GeoInstRecord* set = CommandSet(handle, title);
    if (!set || !TransformCheck(*set, n))
        return 1;
    float* values = set->transforms[n].*field;
    values[0] = x * factor;
    values[1] = y * factor;
    values[2] = z * factor;
    return 0;
}

template <typename Field>
int GetTransformValue(int handle, int n, const char* title, Field field, int component, float factor = 1.0f)
{
    GeoInstRecord* set = CommandSet(handle, title);
    if (!set || !TransformCheck(*set, n))
        return FloatResult(0.0f);
    return FloatResult((set->transforms[n].*field)[component] * factor);
}

} // namespace

RYXO_COMMAND GeoInst_SetPosition(int handle, int n, float x, float y, float z)
{
    return SetTransformTriple(handle, n, x, y, z, GEOINST_ERROR_TITLE("GeoInst_SetPosition"), &GeoInstTransform::position);
}

RYXO_COMMAND GeoInst_GetPositionX(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetPositionX"), &GeoInstTransform::position, 0);
}

RYXO_COMMAND GeoInst_GetPositionY(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetPositionY"), &GeoInstTransform::position, 1);
}

RYXO_COMMAND GeoInst_GetPositionZ(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetPositionZ"), &GeoInstTransform::position, 2);
}

RYXO_COMMAND GeoInst_SetRotation(int handle, int n, float x, float y, float z)
{
    return SetTransformTriple(handle, n, x, y, z, GEOINST_ERROR_TITLE("GeoInst_SetRotation"), &GeoInstTransform::angle);
}

RYXO_COMMAND GeoInst_GetAngleX(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetAngleX"), &GeoInstTransform::angle, 0);
}

RYXO_COMMAND GeoInst_GetAngleY(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetAngleY"), &GeoInstTransform::angle, 1);
}

RYXO_COMMAND GeoInst_GetAngleZ(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetAngleZ"), &GeoInstTransform::angle, 2);
}

RYXO_COMMAND GeoInst_SetScale(int handle, int n, float x, float y, float z)
{
    return SetTransformTriple(handle, n, x, y, z, GEOINST_ERROR_TITLE("GeoInst_SetScale"), &GeoInstTransform::scale,
                              kPercentToFactor);
}

RYXO_COMMAND GeoInst_SetScaleUniform(int handle, int n, float s)
{
    return SetTransformTriple(handle, n, s, s, s, GEOINST_ERROR_TITLE("GeoInst_SetScale"), &GeoInstTransform::scale,
                              kPercentToFactor);
}

RYXO_COMMAND GeoInst_GetScaleX(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetScaleX"), &GeoInstTransform::scale, 0,
                             kFactorToPercent);
}

RYXO_COMMAND GeoInst_GetScaleY(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetScaleY"), &GeoInstTransform::scale, 1,
                             kFactorToPercent);
}

RYXO_COMMAND GeoInst_GetScaleZ(int handle, int n)
{
    return GetTransformValue(handle, n, GEOINST_ERROR_TITLE("GeoInst_GetScaleZ"), &GeoInstTransform::scale, 2,
                             kFactorToPercent);
}

RYXO_COMMAND GeoInst_UpdateInstance(int handle, int n)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_UpdateInstance"));
    if (!set || !WorldMatrixCheck(*set, n))
        return 1;
    // Scripts turn a set's instances in number order: fetch those a few calls ahead now, whose
    // transforms and matrices would otherwise come from memory one miss at a time in a large set.
    // A prefetch never faults, so the addresses past the last instance do no harm.
    const uintptr_t ahead = static_cast<uintptr_t>(n) + kInstancesFetchedAhead;
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(set->transforms.get()) +
                                               ahead * sizeof(GeoInstTransform)),
                 _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(set->instanceData.get()) +
                                               ahead * static_cast<uint32_t>(set->stride)),
                 _MM_HINT_T0);
    BuildWorldMatrix(set->transforms[n], *reinterpret_cast<D3DXMATRIX*>(InstanceVertex(*set, n)));
    return 0;
}

RYXO_COMMAND GeoInst_GetWorldMatrixPtr(int handle, int n)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetWorldMatrixPtr"));
    if (!set || !WorldMatrixCheck(*set, n))
        return 0;
    return ScriptInteger(InstanceVertex(*set, n));
}

RYXO_COMMAND GeoInst_SetWorldMatrixPtr(int handle, int n, int source)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetWorldMatrixPtr"));
    // The source belongs to the script; only the null address can be told apart and refused.
    if (!set || !WorldMatrixCheck(*set, n) || source == 0)
        return 1;
    std::memcpy(InstanceVertex(*set, n), ScriptPointer<const void>(source),
                kWorldMatrixBytes);
    return 0;
}
