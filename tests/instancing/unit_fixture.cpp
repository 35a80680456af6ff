#include "unit_fixture.h"

#include "command_prototypes.h"
#include "device_loss.h"
#include "instancing/render_queue.h"
#include "plugin_lifetime.h"
#include "plugin_state.h"
#include "ref_host.h"

std::vector<std::pair<void*, int>> InstancingUnitTest::registrations_;
std::map<int, std::unique_ptr<InstancingUnitTest::TestObject>>* InstancingUnitTest::objects_ = nullptr;

void InstancingUnitTest::SetUpTestSuite()
{
    ASSERT_TRUE(refhost::Start()) << "the reference host could not create its device";
}

IDirect3DDevice9* InstancingUnitTest::Device() { return refhost::RealDevice(); }

void InstancingUnitTest::SetUp()
{
    ASSERT_NE(Device(), nullptr);
    StartUp(nullptr);
    objects_ = &ownObjects_;
    registrations_.clear();
    HostFunctionTable& host = Plugin().host;
    host.GetDirect3DDevice = [] { return Device(); };
    host.GetObjectA = &InstancingUnitTest::GetObjectA;
    host.AddToRenderList = &InstancingUnitTest::AddToRenderList;
}

void InstancingUnitTest::TearDown()
{
    // The device outlives every test: give back what the sets still hold.
    ReleaseAllInstanceSets();
    ::TearDown(false);
    for (TestMesh& mesh : meshes_)
        Release(mesh);
    objects_ = nullptr;
}

sObject* __cdecl InstancingUnitTest::GetObjectA(int object)
{
    if (!objects_)
        return nullptr;
    auto found = objects_->find(object);
    return found == objects_->end() ? nullptr : &found->second->record;
}

void __cdecl InstancingUnitTest::AddToRenderList(void* callback, int order)
{
    registrations_.emplace_back(callback, order);
}

void InstancingUnitTest::Release(TestMesh& mesh)
{
    if (mesh.effect)
        mesh.effect->Release();
    if (mesh.vertexBuffer)
        mesh.vertexBuffer->Release();
    if (mesh.declaration)
        mesh.declaration->Release();
    mesh.effect = nullptr;
    mesh.vertexBuffer = nullptr;
    mesh.declaration = nullptr;
}

HostMesh* InstancingUnitTest::MakeObject(int object, const std::vector<LimbLayout>& limbs)
{
    auto made = std::make_unique<TestObject>();
    for (const LimbLayout& layout : limbs) {
        TestMesh& m = meshes_.emplace_back();
        m.mesh.fvf = layout.elements.empty() ? layout.fvf : 0;
        m.mesh.vertexSize = layout.vertexSize;
        m.mesh.vertexCount = layout.vertexCount;
        m.mesh.primitiveCount = layout.primitiveCount;
        m.mesh.primitiveType = D3DPT_TRIANGLELIST;
        m.mesh.indexCount = layout.indexCount;
        m.mesh.drawBuffer = &m.drawBuffer;
        m.drawBuffer.vertexCount = layout.vertexCount;
        if (!layout.elements.empty()) {
            std::vector<D3DVERTEXELEMENT9> elements = layout.elements;
            elements.push_back(D3DDECL_END());
            std::copy(elements.begin(), elements.end(), m.mesh.vertexElements);
            EXPECT_EQ(Device()->CreateVertexDeclaration(elements.data(), &m.declaration), D3D_OK);
            m.mesh.vertexDeclaration = m.declaration;
        }
        if (layout.vertexBuffer) {
            UINT bytes = static_cast<UINT>(layout.vertexCount > 0 ? layout.vertexCount : 1) * layout.vertexSize;
            EXPECT_EQ(Device()->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &m.vertexBuffer,
                                                   nullptr),
                      D3D_OK);
            m.drawBuffer.vertexBuffer = m.vertexBuffer;
        }
        if (layout.effect) {
            m.effect = MakeParameterListEffect(layout.effectParameters);
            m.effectRecord.effect = m.effect;
            m.effect->GetDesc(&m.effectRecord.description);
            m.mesh.effect = &m.effectRecord;
        }
        made->meshList.push_back(&m.mesh);
    }
    made->record.meshCount = static_cast<int32_t>(made->meshList.size());
    made->record.meshList = made->meshList.data();
    HostMesh* first = made->meshList.empty() ? nullptr : made->meshList[0];
    ownObjects_[object] = std::move(made);
    return first;
}

void InstancingUnitTest::ForgetObject(int object) { ownObjects_.erase(object); }

int InstancingUnitTest::MakeBoundSet(int maxInstances, const LimbLayout& mesh)
{
    int object = nextObject_++;
    MakeObject(object, mesh);
    int handle = GeoInst_MakeNew();
    EXPECT_EQ(GeoInst_SetMesh(handle, object, 0), 0);
    EXPECT_EQ(GeoInst_SetMaxInstanceCount(handle, maxInstances), 0);
    return handle;
}

void InstancingUnitTest::UseReadableInstanceBuffer(GeoInstRecord& set)
{
    ASSERT_NE(set.instanceBuffer, nullptr);
    D3DVERTEXBUFFER_DESC desc{};
    set.instanceBuffer->GetDesc(&desc);
    IDirect3DVertexBuffer9* readable = nullptr;
    ASSERT_EQ(Device()->CreateVertexBuffer(desc.Size, D3DUSAGE_DYNAMIC, 0, D3DPOOL_SYSTEMMEM, &readable, nullptr),
              D3D_OK);
    set.instanceBuffer = Com<IDirect3DVertexBuffer9>::Adopt(readable);
}

std::vector<std::byte> InstancingUnitTest::InstanceBufferBytes(GeoInstRecord& set, UINT bytes)
{
    std::vector<std::byte> out(bytes);
    void* data = nullptr;
    if (FAILED(set.instanceBuffer->Lock(0, bytes, &data, D3DLOCK_READONLY)) || !data) {
        ADD_FAILURE() << "the instance buffer could not be read";
        return out;
    }
    std::memcpy(out.data(), data, bytes);
    set.instanceBuffer->Unlock();
    return out;
}

std::ostream& operator<<(std::ostream& out, const D3DVERTEXELEMENT9& e)
{
    return out << "{stream " << int(e.Stream) << ", offset " << e.Offset << ", type " << int(e.Type) << ", method "
               << int(e.Method) << ", usage " << int(e.Usage) << ", index " << int(e.UsageIndex) << "}";
}

std::vector<D3DVERTEXELEMENT9> DeclarationElements(IDirect3DVertexDeclaration9* declaration)
{
    if (!declaration)
        return {};
    UINT count = 0;
    declaration->GetDeclaration(nullptr, &count);
    std::vector<D3DVERTEXELEMENT9> elements(count);
    declaration->GetDeclaration(elements.data(), &count);
    return elements;
}

std::vector<D3DVERTEXELEMENT9> ElementsUpToEnd(const D3DVERTEXELEMENT9* elements)
{
    std::vector<D3DVERTEXELEMENT9> out;
    for (int i = 0; i < kMaxVertexElements; ++i) {
        out.push_back(elements[i]);
        if (elements[i].Stream == 0xFF)
            break;
    }
    return out;
}

std::vector<D3DVERTEXELEMENT9> PositionNormalTexcoord()
{
    return {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0),
            Element(12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0),
            Element(24, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0)};
}
