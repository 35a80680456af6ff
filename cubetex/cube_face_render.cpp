#include "cube_face_render.h"

#include "cube_list.h"
#include "host_access.h"
#include "message_box.h"
#include "plugin_state.h"

namespace {

constexpr float kFaceFieldOfView = 90.0f;
constexpr float kFaceAspect = 1.0f;

// The camera fields cube rendering writes, as they were before.
struct SavedCamera {
    int32_t renderIntoSurface;
    int32_t surfaceGroup1;
    IDirect3DSurface9* surface;
    int32_t surfaceGroup2;
    int32_t surfaceGroup3;
    float aspect;
    float fieldOfView;
    float positionX, positionY, positionZ;
    float angleX, angleY, angleZ;
    float nearRange, farRange;
};

SavedCamera Save(const HostCameraData& c)
{
    return {c.renderIntoSurface, c.surfaceGroup1, c.surface,   c.surfaceGroup2, c.surfaceGroup3,
            c.aspect,            c.fieldOfView,   c.positionX, c.positionY,     c.positionZ,
            c.angleX,            c.angleY,        c.angleZ,    c.nearRange,     c.farRange};
}

void Restore(HostCameraData& c, const SavedCamera& saved)
{
    c.renderIntoSurface = saved.renderIntoSurface;
    c.surfaceGroup1 = saved.surfaceGroup1;
    c.surface = saved.surface;
    c.surfaceGroup2 = saved.surfaceGroup2;
    c.surfaceGroup3 = saved.surfaceGroup3;
    c.aspect = saved.aspect;
    c.fieldOfView = saved.fieldOfView;
    c.nearRange = saved.nearRange;
    c.farRange = saved.farRange;
    c.positionX = saved.positionX;
    c.positionY = saved.positionY;
    c.positionZ = saved.positionZ;
    c.angleX = saved.angleX;
    c.angleY = saved.angleY;
    c.angleZ = saved.angleZ;
}

} // namespace

bool PrepareCubeRendering(CubeRenderRequest& request, int camera, const char* title)
{
    // The sync mask has one bit per camera 0 to 31; any other number cannot be rendered alone.
    HostCameraData* record = camera >= 0 && camera <= 31 ? HostCamera(camera) : nullptr;
    if (!record) {
        ShowMessage(title, "The Specified Camera Does Not Exist");
        return false;
    }
    const HostFunctionTable& host = Host();
    request.device = HostDevice();
    request.camera = record;
    request.cameraNumber = camera;
    return request.device && host.SyncMask && host.SetAspect && host.FastSync && host.GetStatistic;
}

void RenderCubeFaces(const CubeRenderRequest& request)
{
    const HostFunctionTable& host = Host();
    IDirect3DDevice9* device = request.device;
    const CubeTexRecord& cube = *request.cube;
    HostCameraData* camera = request.camera;
    host.SyncMask(1u << request.cameraNumber);
    const SavedCamera saved = Save(*camera);
    Com<IDirect3DSurface9> savedTarget;
    device->GetRenderTarget(0, savedTarget.put());

    camera->positionX = cube.positionX;
    camera->positionY = cube.positionY;
    camera->positionZ = cube.positionZ;
    camera->nearRange = cube.nearRange;
    camera->farRange = cube.farRange;
    camera->fieldOfView = kFaceFieldOfView;
    if (request.storeAspect)
        camera->aspect = kFaceAspect;
    host.SetAspect(request.cameraNumber, kFaceAspect);
    camera->renderIntoSurface = 1;
    camera->surfaceGroup1 = 0;
    camera->surfaceGroup2 = 0;
    camera->surfaceGroup3 = 0;

    CubeDrawCounters& counters = CubeCounters();
    counters = {};
    for (int face = 0; face < kCubeFaceCount; ++face) {
        if (!(request.faceMask & (1u << face)))
            continue;
        const auto faceType = static_cast<D3DCUBEMAP_FACES>(face);
        camera->angleX = kCubeFaceAngles[face].x;
        camera->angleY = kCubeFaceAngles[face].y;
        camera->angleZ = kCubeFaceAngles[face].z;
        Com<IDirect3DSurface9> surface;
        cube.texture->GetCubeMapSurface(faceType, 0, surface.put());
        camera->surface = surface.ptr();
        Com<IDirect3DSurface9> further[3];
        for (int k = 0; k < 3 && request.further[k]; ++k) {
            request.further[k]->texture->GetCubeMapSurface(faceType, 0, further[k].put());
            device->SetRenderTarget(static_cast<DWORD>(k + 1), further[k].ptr());
        }
        host.FastSync();
        counters.drawPrimitives += host.GetStatistic(1);
        counters.drawCalls += host.GetStatistic(5);
        // The device keeps its own references on the bound surfaces until the next face replaces
        // them or they are unbound below.
        surface.reset();
        for (Com<IDirect3DSurface9>& target : further)
            target.reset();
    }

    if (savedTarget) {
        device->SetRenderTarget(0, savedTarget.ptr());
        savedTarget.reset();
    }
    for (int k = 0; k < 3 && request.further[k]; ++k)
        device->SetRenderTarget(static_cast<DWORD>(k + 1), nullptr);
    Restore(*camera, saved);
}
