#include "cube_fixture.h"

#include "cubetex/cube_list.h"
#include "plugin_state.h"

extern "C" void __cdecl ReceiveCoreDataPtr(void*);

void CubeTest::SetUpTestSuite() { ASSERT_TRUE(refhost::Start()) << "the reference host could not create its device"; }

void CubeTest::SetUp()
{
    refhost::ResetScene();
    StartUp(nullptr);
    ReceiveCoreDataPtr(refhost::CoreData());
    ASSERT_THAT(messages_.Take(), testing::IsEmpty()) << "binding to the reference host failed";
    recorder_ = std::make_unique<ScopedRecordingDevice>();
    ASSERT_NE(recorder_->Get(), nullptr);
}

void CubeTest::TearDown()
{
    ReleaseAllCubeTextures();
    recorder_.reset();
    ::TearDown(false);
    refhost::ResetScene();
}

int CubeTest::MakeCube(int resolution, int mipmapGeneration)
{
    const int handle = CubeTex_MakeNew(resolution, mipmapGeneration);
    EXPECT_NE(handle, 0);
    return handle;
}

Com<IDirect3DSurface9> CubeTest::Face(int handle, int face)
{
    Com<IDirect3DSurface9> surface;
    Cube(handle).texture->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, surface.put());
    return surface;
}

UINT CubeTest::AvailableTextureMemory(UINT expected)
{
    IDirect3DDevice9* device = refhost::RealDevice();
    UINT available = device->GetAvailableTextureMem();
    for (int i = 0; i < 100 && available != expected; ++i) {
        Sleep(10);
        available = device->GetAvailableTextureMem();
    }
    return available;
}
