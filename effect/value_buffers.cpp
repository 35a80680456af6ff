#include "value_buffers.h"

EffectValueBuffers& EffectValues()
{
    static EffectValueBuffers buffers{};
    return buffers;
}
