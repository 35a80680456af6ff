#include "camera_view.h"

#include <cmath>

void RebuildCameraView(EfxCamRecord& camera)
{
    if (!camera.viewDirty && !camera.projectionDirty)
        return;
    if (camera.viewDirty) {
        // Yaw 0 and pitch 0 look along +z; positive yaw turns towards +x, positive pitch looks down.
        const float pitch = -(camera.rotation[0] * kDegreesToRadians);
        const float yaw = camera.rotation[1] * kDegreesToRadians;
        const float direction[3] = {std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch)};
        for (int i = 0; i < 3; ++i)
            camera.lookAt[i] = camera.position[i] + direction[i];
        const D3DXVECTOR3 eye(camera.position), at(camera.lookAt), up(0.0f, 1.0f, 0.0f);
        D3DXMATRIX view;
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        camera.view = view;
    }
    if (camera.projectionDirty) {
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, camera.fieldOfView, camera.aspect, camera.nearRange,
                                   camera.farRange);
        camera.projection = projection;
    }
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, static_cast<const D3DXMATRIX*>(&camera.view),
                       static_cast<const D3DXMATRIX*>(&camera.projection));
    camera.viewProjection = viewProjection;
    camera.viewDirty = 0;
    camera.projectionDirty = 0;
}
