// Cameras: each has a HostCameraData record whose position, angles and lens drive the view and
// projection the renderer uses, and a render target of its own; camera 0 renders into the back
// buffer instead (unless the host options give it a texture).
#include <cmath>

#include "engine_state.h"

namespace refhost {

namespace {

constexpr float kDegrees = D3DX_PI / 180.0f;
constexpr float kDefaultFieldOfView = 60.0f;
constexpr float kDefaultNear = 1.0f;
constexpr float kDefaultFar = 3000.0f;
constexpr D3DCOLOR kDefaultBackdrop = 0xFF000000;

D3DFORMAT ReferenceFormat()
{
    D3DSURFACE_DESC desc{};
    IDirect3DSurface9* reference = TheEngine().core.referenceSurface;
    if (!reference || FAILED(reference->GetDesc(&desc)))
        return D3DFMT_X8R8G8B8;
    return desc.Format;
}

} // namespace

CameraRecord* FindCamera(int camera)
{
    auto& cameras = TheEngine().scene.cameras;
    auto it = cameras.find(camera);
    return it == cameras.end() ? nullptr : it->second.get();
}

void UpdateCameraMatrices(HostCameraData& d)
{
    // The camera turns by Z, then X, then Y: angle Y 90 looks along +X, angle X -90 along +Y.
    D3DXMATRIX rz, rx, ry, t;
    D3DXMatrixRotationZ(&rz, d.angleZ * kDegrees);
    D3DXMatrixRotationX(&rx, d.angleX * kDegrees);
    D3DXMatrixRotationY(&ry, d.angleY * kDegrees);
    D3DXMatrixTranslation(&t, d.positionX, d.positionY, d.positionZ);
    D3DXMATRIX cameraWorld = rz * rx * ry * t;
    D3DXMatrixInverse(&d.view, nullptr, &cameraWorld);
    float aspect = d.aspect > 0 ? d.aspect : 1.0f;
    D3DXMatrixPerspectiveFovLH(&d.projection, d.fieldOfView * kDegrees, aspect, d.nearRange, d.farRange);
}

bool MakeCamera(int camera, int width, int height)
{
    Engine& e = TheEngine();
    if (!e.device || camera < 0)
        return false;
    width = width > 0 ? width : e.options.width;
    height = height > 0 ? height : e.options.height;
    auto c = std::make_unique<CameraRecord>();
    // Camera 0 draws into the back buffer as an engine's main camera does, at its size.
    if (RendersIntoBackBuffer(camera)) {
        width = e.options.width;
        height = e.options.height;
    } else if (FAILED(e.device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, ReferenceFormat(), D3DPOOL_DEFAULT,
                                       c->target.put(), nullptr)))
        return false;
    DeleteCamera(camera);
    c->width = width;
    c->height = height;
    ResetCameraSettings(*c);
    e.scene.cameras[camera] = std::move(c);
    return true;
}

void ResetCameraSettings(CameraRecord& camera)
{
    ZeroFill(camera.data);
    camera.backdrop = kDefaultBackdrop;
    HostCameraData& d = camera.data;
    d.fieldOfView = kDefaultFieldOfView;
    d.aspect = static_cast<float>(camera.width) / static_cast<float>(camera.height);
    d.nearRange = kDefaultNear;
    d.farRange = kDefaultFar;
    UpdateCameraMatrices(d);
}

void DeleteCamera(int camera)
{
    auto& cameras = TheEngine().scene.cameras;
    auto it = cameras.find(camera);
    if (it == cameras.end())
        return;
    cameras.erase(it);
}

bool CameraExists(int camera) { return FindCamera(camera) != nullptr; }

void SetCameraPosition(int camera, float x, float y, float z)
{
    if (CameraRecord* c = FindCamera(camera)) {
        c->data.positionX = x;
        c->data.positionY = y;
        c->data.positionZ = z;
        UpdateCameraMatrices(c->data);
    }
}

void SetCameraRotation(int camera, float xDegrees, float yDegrees, float zDegrees)
{
    if (CameraRecord* c = FindCamera(camera)) {
        c->data.angleX = xDegrees;
        c->data.angleY = yDegrees;
        c->data.angleZ = zDegrees;
        UpdateCameraMatrices(c->data);
    }
}

void SetCameraFieldOfView(int camera, float degrees)
{
    if (CameraRecord* c = FindCamera(camera)) {
        c->data.fieldOfView = degrees;
        UpdateCameraMatrices(c->data);
    }
}

void SetCameraRange(int camera, float nearRange, float farRange)
{
    if (CameraRecord* c = FindCamera(camera)) {
        c->data.nearRange = nearRange;
        c->data.farRange = farRange;
        UpdateCameraMatrices(c->data);
    }
}

void SetCameraBackdrop(int camera, D3DCOLOR colour)
{
    if (CameraRecord* c = FindCamera(camera)) c->backdrop = colour;
}

bool RendersIntoBackBuffer(int camera) { return camera == 0 && !TheEngine().options.cameraZeroToTexture; }

IDirect3DTexture9* GetCameraTarget(int camera)
{
    CameraRecord* c = FindCamera(camera);
    return c && !RendersIntoBackBuffer(camera) ? c->target.ptr() : nullptr;
}

// ---- host functions ----

HostCameraData* GetCameraData(int camera)
{
    CameraRecord* c = FindCamera(camera);
    return c ? &c->data : nullptr;
}

void PointCamera(int camera, float x, float y, float z)
{
    LogHostCall("Point(%d, %g, %g, %g)", camera, x, y, z);
    CameraRecord* c = FindCamera(camera);
    if (!c)
        return;
    HostCameraData& d = c->data;
    float dx = x - d.positionX, dy = y - d.positionY, dz = z - d.positionZ;
    float across = std::sqrt(dx * dx + dz * dz);
    if (across == 0 && dy == 0)
        return; // the camera stands on the point: no direction to turn to
    d.angleY = std::atan2(dx, dz) / kDegrees;
    d.angleX = -std::atan2(dy, across) / kDegrees;
    UpdateCameraMatrices(d);
}

void SetCameraAspect(int camera, float aspect)
{
    LogHostCall("SetAspect(%d, %g)", camera, aspect);
    if (CameraRecord* c = FindCamera(camera)) {
        c->data.aspect = aspect;
        UpdateCameraMatrices(c->data);
    }
}

} // namespace refhost
