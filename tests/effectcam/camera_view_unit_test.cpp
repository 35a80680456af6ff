// The view rebuild: where a camera's rotation points it, and that only the dirty matrices are
// rebuilt.
#include <cmath>

#include "effectcam/camera_view.h"
#include "effectcam_fixture.h"
#include "matrices.h"

namespace {

TEST_F(EfxCamTest, ViewRebuildLooksWhereTheRotationPointsAndOnlyRebuildsWhatIsDirty)
{
    // Rotation (x, y, z) and the viewing direction it gives; z is never used.
    const float cases[][6] = {{0, 90, 0, 1, 0, 0}, {45, 0, 0, 0, -0.70710677f, 0.70710677f}, {0, 0, 75, 0, 0, 1}};
    EfxCam_MakeNew(0);
    EfxCamRecord& c = Camera(0);
    EfxCam_SetAspect(0, 2.0f);
    EfxCam_SetFOV(0, 0.8f);
    EfxCam_SetRange(0, 0.5f, 40.0f);
    EfxCam_SetPosition(0, 1.0f, 2.0f, 3.0f);
    for (const auto& k : cases) {
        EfxCam_SetRotation(0, k[0], k[1], k[2]);
        RebuildCameraView(c);
        const D3DXVECTOR3 eye(1, 2, 3), at(1 + k[3], 2 + k[4], 3 + k[5]), up(0, 1, 0);
        D3DXMATRIX view, projection;
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 2.0f, 0.5f, 40.0f);
        EXPECT_TRUE(MatrixNear(view, c.view) && MatrixNear(projection, c.projection) &&
                    MatrixNear(view * projection, c.viewProjection) &&
                    std::abs(c.lookAt[1] - at.y) + std::abs(c.lookAt[2] - at.z) < 1e-6f)
            << "rotation " << k[0] << ", " << k[1] << ", " << k[2];
        EXPECT_EQ(c.viewDirty + c.projectionDirty, 0);
    }
    // Clean flags keep the matrices; a range change rebuilds the projection but not the view.
    c.view._11 = c.projection._11 = 7.0f;
    RebuildCameraView(c);
    EXPECT_EQ(c.view._11 + c.projection._11, 14.0f);
    EfxCam_SetRange(0, 0.5f, 80.0f);
    RebuildCameraView(c);
    EXPECT_TRUE(c.view._11 == 7.0f && c.projection._11 != 7.0f);
}

} // namespace
