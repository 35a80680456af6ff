// The scene as a whole: the host-call log, and taking everything down (ResetScene, Stop).
#include <cstdarg>
#include <cstdio>

#include "engine_state.h"

namespace refhost {

void LogHostCall(const char* format, ...)
{
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    TheEngine().scene.callLog.emplace_back(text);
}

std::vector<std::string> HostCallLog() { return TheEngine().scene.callLog; }
void ClearHostCallLog() { TheEngine().scene.callLog.clear(); }

namespace {

// Releases and forgets every object, effect and image; both ways of taking the scene down start so.
void ReleaseObjectsEffectsAndImages(Scene& scene)
{
    scene.objects.clear();
    scene.effects.clear();
    for (auto& [number, image] : scene.images)
        ReleaseImage(*image);
    scene.images.clear();
}

} // namespace

void ReleaseScene()
{
    Scene& scene = TheEngine().scene;
    ReleaseObjectsEffectsAndImages(scene);
    scene = Scene{};
}

void ResetScene()
{
    Engine& e = TheEngine();
    Scene& scene = e.scene;
    ReleaseObjectsEffectsAndImages(scene);
    // Camera 0 keeps its record (and its address) and gets its first settings back.
    for (auto it = scene.cameras.begin(); it != scene.cameras.end();) {
        if (it->first == 0) {
            ResetCameraSettings(*it->second);
            ++it;
        } else {
            it = scene.cameras.erase(it);
        }
    }
    scene.primitivesDrawn = 0;
    scene.drawCalls = 0;
    scene.fogColour = Scene{}.fogColour;
    scene.fogStart = Scene{}.fogStart;
    scene.fogEnd = Scene{}.fogEnd;
    scene.callLog.clear();
    e.core.fogEnabled = 0;
    e.core.currentCamera = 0;
    e.renderList.clear();
    e.registrations.clear();
    e.syncMask = 0xFFFFFFFF;
    e.frameScissorOn = false;
}

} // namespace refhost
