// Fixture for white-box effect-camera tests: the drawing fixture (the plugin's code bound to the
// reference host, a recording device between them) with cameras made ready to draw an object.
#pragma once

#include "command_prototypes.h"
#include "draw_fixture.h"
#include "effectcam/camera_table.h"

inline constexpr int kImage = 10;
inline constexpr int kSize = 32;

// An effect parameter of `kind` named `name`, to add to an effect description.
refhost::EffectParameter Parameter(const char* name, refhost::EffectParameterKind kind);

class EfxCamTest : public DrawTest {
protected:
    // The device goes before the process ends: Wine can kill a process that exits while its device
    // is still drawing the last camera images.
    static void TearDownTestSuite() { refhost::Stop(); }

    static EfxCamRecord& Camera(int n) { return *CameraSlot(n); }

    // Object `object` (a cube of edge 2 at (0, 0, 10), with effect `object` drawing it in one colour,
    // or the effect `description`) and camera `camera` at the origin looking at it into `image`.
    HostEffect* MakeReadyCamera(int camera, int image, int object,
                                const refhost::EffectDescription& description = refhost::PlainEffectDescription());
};
