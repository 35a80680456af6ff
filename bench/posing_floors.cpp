#include "posing_floors.h"

#include <cmath>
#include <vector>

#include <d3dx9.h>

namespace {

volatile float g_sink;

// What composing needs of one instance, sines and cosines already worked out: as many bytes as the
// command reads of its transform, give or take.
struct PreparedTurn {
    float sines[3], cosines[3], position[3], scale[3];
};

// The C runtime's sines and cosines of the angles in radians rounded to single precision, as
// GeoInst_UpdateInstance took them before its own SSE2 sines.
void RuntimeSines(const std::vector<float>& angles, int count)
{
    float sum = 0.0f;
    for (int n = 1; n <= count; ++n) {
        const float* a = &angles[3 * static_cast<size_t>(n)];
        for (int axis = 0; axis < 3; ++axis) {
            const float r = a[axis] * 0.0174532924f;
            sum += static_cast<float>(std::sin(static_cast<double>(r))) +
                   static_cast<float>(std::cos(static_cast<double>(r)));
        }
    }
    g_sink = sum;
}

// Rx x Ry x Rz multiplied out, each row scaled, and the position: the 13 floats the command writes
// into each instance's matrix, one 64-byte matrix after another as in the instance data.
void ComposeAndStore(const std::vector<PreparedTurn>& turns, std::vector<D3DXMATRIX>& matrices)
{
    for (size_t n = 1; n < turns.size(); ++n) {
        const PreparedTurn& t = turns[n];
        const float sx = t.sines[0], sy = t.sines[1], sz = t.sines[2];
        const float cx = t.cosines[0], cy = t.cosines[1], cz = t.cosines[2];
        const float sxsy = sx * sy, cxsy = cx * sy;
        D3DXMATRIX& m = matrices[n];
        m._11 = cy * cz * t.scale[0];
        m._12 = cy * sz * t.scale[0];
        m._13 = -sy * t.scale[0];
        m._21 = (sxsy * cz - cx * sz) * t.scale[1];
        m._22 = (sxsy * sz + cx * cz) * t.scale[1];
        m._23 = sx * cy * t.scale[1];
        m._31 = (cxsy * cz + sx * sz) * t.scale[2];
        m._32 = (cxsy * sz - sx * cz) * t.scale[2];
        m._33 = cx * cy * t.scale[2];
        m._41 = t.position[0];
        m._42 = t.position[1];
        m._43 = t.position[2];
        m._44 = 1.0f;
    }
}

} // namespace

PosingTimes MeasurePosing(const Commands& c, int set, int count, int repeats)
{
    std::vector<float> angles(3 * static_cast<size_t>(count) + 3);
    std::vector<PreparedTurn> turns(static_cast<size_t>(count) + 1);
    for (int n = 1; n <= count; ++n) {
        PreparedTurn& t = turns[n];
        for (int axis = 0; axis < 3; ++axis) {
            const float a = BenchAngle(n, axis);
            angles[3 * static_cast<size_t>(n) + axis] = a;
            const double r = static_cast<double>(a * 0.0174532924f);
            t.sines[axis] = static_cast<float>(std::sin(r));
            t.cosines[axis] = static_cast<float>(std::cos(r));
            t.position[axis] = static_cast<float>(n);
            t.scale[axis] = 1.0f;
        }
    }
    std::vector<D3DXMATRIX> matrices(turns.size());
    const auto updateAll = [&] {
        for (int n = 1; n <= count; ++n)
            c.updateInstance(set, n);
    };
    PosingTimes times;
    times.againstSines = FastestSecondsInTurns(repeats, updateAll, [&] { RuntimeSines(angles, count); }, [] {});
    times.againstCompose =
        FastestSecondsInTurns(repeats, updateAll, [&] { ComposeAndStore(turns, matrices); }, [] {});
    g_sink = matrices[static_cast<size_t>(count)]._11; // the stores are used
    return times;
}
