// Reading and writing the custom elements of single instances, by value or through addresses.
#include <algorithm>
#include <cstring>

#include "command_set.h"
#include "exports.h"
#include "script_values.h"
#include "instance_checks.h"

namespace {

// Writes the given values into element k of instance n: the first always, each further one only
// while the element has that many components. Components beyond the values keep their contents.
int SetCustomValues(int handle, int n, int k, const float* values, int valueCount)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetCustomData"));
    if (!set)
        return 1;
    const int written = std::max(1, std::min(CustomElementComponents(*set, k), valueCount));
    std::byte* address = CustomElementAddress(*set, n, k, 4u * written);
    if (!address)
        return 1;
    std::memcpy(address, values, 4u * written);
    return 0;
}

// Component `component` (0 = x) of element k of instance n, 0.0 when the element has fewer
// components (x is always read) or the check fails.
int GetCustomValue(int handle, int n, int k, int component, const char* title)
{
    GeoInstRecord* set = CommandSet(handle, title);
    if (!set)
        return FloatResult(0.0f);
    if (component > 0 && CustomElementComponents(*set, k) <= component)
        return FloatResult(0.0f);
    const std::byte* address = CustomElementAddress(*set, n, k, 4u * (component + 1));
    if (!address)
        return FloatResult(0.0f);
    float value;
    std::memcpy(&value, address + 4 * component, sizeof(value));
    return FloatResult(value);
}

} // namespace

RYXO_COMMAND GeoInst_SetCustomData4(int handle, int n, int k, float x, float y, float z, float w)
{
    const float values[] = {x, y, z, w};
    return SetCustomValues(handle, n, k, values, 4);
}

RYXO_COMMAND GeoInst_SetCustomData3(int handle, int n, int k, float x, float y, float z)
{
    const float values[] = {x, y, z};
    return SetCustomValues(handle, n, k, values, 3);
}

RYXO_COMMAND GeoInst_SetCustomData2(int handle, int n, int k, float x, float y)
{
    const float values[] = {x, y};
    return SetCustomValues(handle, n, k, values, 2);
}

RYXO_COMMAND GeoInst_SetCustomData1(int handle, int n, int k, float x)
{
    return SetCustomValues(handle, n, k, &x, 1);
}

RYXO_COMMAND GeoInst_GetCustomDataX(int handle, int n, int k)
{
    return GetCustomValue(handle, n, k, 0, GEOINST_ERROR_TITLE("GeoInst_GetCustomDataX"));
}

RYXO_COMMAND GeoInst_GetCustomDataY(int handle, int n, int k)
{
    return GetCustomValue(handle, n, k, 1, GEOINST_ERROR_TITLE("GeoInst_GetCustomDataY"));
}

RYXO_COMMAND GeoInst_GetCustomDataZ(int handle, int n, int k)
{
    return GetCustomValue(handle, n, k, 2, GEOINST_ERROR_TITLE("GeoInst_GetCustomDataZ"));
}

RYXO_COMMAND GeoInst_GetCustomDataW(int handle, int n, int k)
{
    return GetCustomValue(handle, n, k, 3, GEOINST_ERROR_TITLE("GeoInst_GetCustomDataW"));
}

// The fourth parameter is declared by the command table and not used.
RYXO_COMMAND GeoInst_GetCustomDataPtr(int handle, int n, int k, int unused)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetCustomDataPtr"));
    if (!set)
        return 0;
    const uint32_t bytes = 4u * CustomElementComponents(*set, k);
    return ScriptInteger(CustomElementAddress(*set, n, k, bytes));
}

// Copies the element's 4 x components bytes from the script's address and returns the element's
// address; 1 when refused. Only the null source can be told apart from the script's own memory.
RYXO_COMMAND GeoInst_SetCustomDataPtr(int handle, int n, int k, int source)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetCustomDataPtr"));
    if (!set || source == 0)
        return 1;
    const uint32_t bytes = 4u * CustomElementComponents(*set, k);
    std::byte* address = CustomElementAddress(*set, n, k, bytes);
    if (!address)
        return 1;
    std::memcpy(address, ScriptPointer<const void>(source), bytes);
    return ScriptInteger(address);
}
