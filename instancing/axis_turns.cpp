#include "axis_turns.h"

#include <cmath>

#include "instance_transform.h"

AxisTurns RuntimeAxisTurns(const float (&degrees)[3])
{
    float sines[4] = {0.0f, 0.0f, 0.0f, 0.0f}, cosines[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    for (int axis = 0; axis < 3; ++axis) {
        if (degrees[axis] == 0.0f)
            continue;
        const double r = static_cast<double>(degrees[axis] * kDegreesToRadians);
        sines[axis] = static_cast<float>(std::sin(r));
        cosines[axis] = static_cast<float>(std::cos(r));
    }
    return {_mm_loadu_ps(sines), _mm_loadu_ps(cosines)};
}
