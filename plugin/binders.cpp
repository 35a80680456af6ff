#include "binders.h"

#include <cstdio>

#include "message_box.h"
#include "plugin_state.h"

namespace {

template <typename Fn>
void Lookup(HMODULE library, const char* decoratedName, Fn& slot)
{
    // A name the library lacks leaves the slot null; callers check before calling. A null module
    // handle in the core data must not fall through to a lookup in the host's executable.
    slot = library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, decoratedName)))
                   : nullptr;
}

void ReportUnbound(const char* libraryName)
{
    char text[96];
    std::snprintf(text, sizeof text, "Fatal Error: Could not initialise %s", libraryName);
    ShowMessage(kFatalTitle, text);
}

// The basic 3D, camera and image libraries are already loaded by the host, which hands over their
// module handles in the core data.
HMODULE ModuleFromCoreData(HMODULE HostCoreData::*field, const char* libraryName)
{
    HostCoreData* core = CoreData();
    if (!core) {
        ReportUnbound(libraryName);
        return nullptr;
    }
    return core->*field;
}

// The core and setup libraries are opened by name and stay open until unload.
HMODULE OpenByName(const char* libraryName)
{
    HMODULE library = LoadLibraryA(libraryName);
    if (!library) {
        ReportUnbound(libraryName);
        return nullptr;
    }
    PluginState& plugin = Plugin();
    if (plugin.librariesOpened < plugin.librariesOpenedByName.size())
        plugin.librariesOpenedByName[plugin.librariesOpened++] = library;
    return library;
}

void BindBasic3D()
{
    HMODULE m = ModuleFromCoreData(&HostCoreData::basic3DModule, "DBProBasic3DDebug.dll");
    if (!CoreData()) return;
    HostFunctionTable& t = Plugin().host;
    Lookup(m, "?DisableZDepth@@YAXH@Z", t.DisableZDepth);
    Lookup(m, "?DisableZRead@@YAXH@Z", t.DisableZRead);
    Lookup(m, "?DisableZWrite@@YAXH@Z", t.DisableZWrite);
    Lookup(m, "?SetObjectEffect@@YAXHH@Z", t.SetObjectEffect);
    Lookup(m, "?GetStatistic@@YAHH@Z", t.GetStatistic);
    Lookup(m, "?TextureLimbStage@@YAXHHHH@Z", t.TextureLimbStage);
    Lookup(m, "?SetTextureStage@@YAXHHH@Z", t.SetTextureStage);
    Lookup(m, "?GetObjectA@@YAPAUsObject@@H@Z", t.GetObjectA);
}

void BindCamera()
{
    HMODULE m = ModuleFromCoreData(&HostCoreData::cameraModule, "DBProCameraDebug.dll");
    if (!CoreData()) return;
    HostFunctionTable& t = Plugin().host;
    Lookup(m, "?Point@@YAXHMMM@Z", t.Point);
    Lookup(m, "?SetAspect@@YAXHM@Z", t.SetAspect);
    Lookup(m, "?GetInternalData@@YAPAXH@Z", t.GetInternalData);
}

void BindCore()
{
    HMODULE m = OpenByName("DBProCore.dll");
    if (!m) return;
    HostFunctionTable& t = Plugin().host;
    Lookup(m, "?FastSync@@YAXXZ", t.FastSync);
    Lookup(m, "?SyncMask@@YAXK@Z", t.SyncMask);
    Lookup(m, "?AddToRenderList@@YAXPAXH@Z", t.AddToRenderList);
    Lookup(m, "?RemoveFromRenderList@@YAXPAX@Z", t.RemoveFromRenderList);
}

void BindImage()
{
    HMODULE m = ModuleFromCoreData(&HostCoreData::imageModule, "DBProImageDebug.dll");
    if (!CoreData()) return;
    HostFunctionTable& t = Plugin().host;
    Lookup(m, "?DeleteEx@@YAXH@Z", t.DeleteEx);
    Lookup(m, "?GetExistEx@@YAHH@Z", t.GetExistEx);
    Lookup(m, "?GetPointer@@YAPAUIDirect3DTexture9@@H@Z", t.GetPointer);
    Lookup(m, "?MakeRenderTarget@@YAPAUIDirect3DTexture9@@HHHW4_D3DFORMAT@@@Z", t.MakeRenderTarget);
}

void BindSetup()
{
    HMODULE m = OpenByName("DBProSetupDebug.dll");
    if (!m) return;
    HostFunctionTable& t = Plugin().host;
    Lookup(m, "?GetDirect3D@@YAPAUIDirect3D9@@XZ", t.GetDirect3D);
    Lookup(m, "?GetDirect3DDevice@@YAPAUIDirect3DDevice9@@XZ", t.GetDirect3DDevice);
    Lookup(m, "?ChangeDisplayMode@@YAXHHHH@Z", t.ChangeDisplayMode);
}

constexpr HostLibrary kHostLibraries[] = {
    {"DBProBasic3DDebug.dll", BindBasic3D},
    {"DBProCameraDebug.dll", BindCamera},
    {"DBProCore.dll", BindCore},
    {"DBProImageDebug.dll", BindImage},
    {"DBProSetupDebug.dll", BindSetup},
};

} // namespace

std::span<const HostLibrary> HostLibraries() { return kHostLibraries; }
