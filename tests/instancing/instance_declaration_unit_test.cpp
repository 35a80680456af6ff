// The instance vertex layout and the two-stream declaration made from it: the element arithmetic
// on arrays, and the declaration the device was given, read back from it.
#include <functional>

#include "instancing/instance_declaration.h"
#include "instancing_commands.h"
#include "unit_fixture.h"

namespace {

using DeclarationTest = InstancingUnitTest;

constexpr D3DVERTEXELEMENT9 kEnd = D3DDECL_END();

D3DVERTEXELEMENT9 Row(int r, int usageIndex)
{
    return Element(static_cast<WORD>(16 * r), D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(usageIndex), 1);
}
D3DVERTEXELEMENT9 Custom(int offset, int type, int usageIndex)
{
    return Element(static_cast<WORD>(offset), static_cast<BYTE>(type), D3DDECLUSAGE_TEXCOORD,
                   static_cast<BYTE>(usageIndex), 1);
}

std::vector<D3DVERTEXELEMENT9> Concat(std::vector<D3DVERTEXELEMENT9> a, const std::vector<D3DVERTEXELEMENT9>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ElementArray {
    D3DVERTEXELEMENT9 elements[kMaxVertexElements];
    explicit ElementArray(const std::vector<D3DVERTEXELEMENT9>& content)
    {
        std::fill(std::begin(elements), std::end(elements), Element(0, 0, 0, 0, 0x77)); // junk after the end
        std::copy(content.begin(), content.end(), elements);
        elements[content.size()] = kEnd;
    }
    std::vector<D3DVERTEXELEMENT9> Content() const { return ElementsUpToEnd(elements); }
};

std::vector<D3DVERTEXELEMENT9> Texcoords(std::initializer_list<int> indices)
{
    std::vector<D3DVERTEXELEMENT9> out = {Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0)};
    WORD offset = 12;
    for (int index : indices) {
        out.push_back(Element(offset, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(index)));
        offset += 8;
    }
    return out;
}

TEST_F(DeclarationTest, MatrixRowsGoJustAboveTheHighestTexcoord)
{
    struct Case {
        std::vector<D3DVERTEXELEMENT9> mesh;
        int firstRow;
    };
    for (const Case& c : {Case{Texcoords({}), 1}, Case{Texcoords({0}), 1}, Case{Texcoords({3, 1}), 4},
                          Case{Texcoords({4}), 5}}) {
        ElementArray array(c.mesh);
        AppendWorldMatrixElements(array.elements);
        auto expected = Concat(c.mesh, {Row(0, c.firstRow), Row(1, c.firstRow + 1), Row(2, c.firstRow + 2),
                                        Row(3, c.firstRow + 3), kEnd});
        EXPECT_EQ(array.Content(), expected) << "rows from TEXCOORD" << c.firstRow;
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(DeclarationTest, MatrixRowsNeedFourFreeTexcoords)
{
    ElementArray array(Texcoords({5}));
    AppendWorldMatrixElements(array.elements);
    EXPECT_EQ(array.Content(), Concat(Texcoords({5}), {kEnd}));
    EXPECT_EQ(messages_.Take(),
              (std::vector<ShownMessage>{
                  {"Error", "Cant setup geometry instance for mesh, World Matrix Requires 4 Free TEXCOORD elements"}}));
}

TEST_F(DeclarationTest, CustomElementsFollowTheLastTexcoordMetAtTheirOffsets)
{
    // TEXCOORD3 then TEXCOORD1: the last met (1), not the highest (3), numbers the next element.
    ElementArray array(Texcoords({3, 1}));
    AppendCustomElement(array.elements, 64, 3);
    AppendCustomElement(array.elements, 76, 0);
    AppendCustomElement(array.elements, 76, 2);
    EXPECT_EQ(array.Content(), Concat(Texcoords({3, 1}), {Custom(64, D3DDECLTYPE_FLOAT3, 2),
                                                          Custom(76, D3DDECLTYPE_FLOAT2, 3), kEnd}));
    AppendCustomElement(array.elements, 84, 1);
    AppendCustomElement(array.elements, 88, 4);
    EXPECT_EQ(array.Content(), Concat(Texcoords({3, 1}), {Custom(64, D3DDECLTYPE_FLOAT3, 2),
                                                          Custom(76, D3DDECLTYPE_FLOAT2, 3),
                                                          Custom(84, D3DDECLTYPE_FLOAT1, 4),
                                                          Custom(88, D3DDECLTYPE_FLOAT4, 5), kEnd}));
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(DeclarationTest, CustomElementsStopAtTexcoordSeven)
{
    ElementArray array(Texcoords({6}));
    AppendCustomElement(array.elements, 0, 2);
    AppendCustomElement(array.elements, 8, 2);
    EXPECT_EQ(array.Content(), Concat(Texcoords({6}), {Custom(0, D3DDECLTYPE_FLOAT2, 7), kEnd}));
    EXPECT_EQ(messages_.Take(),
              (std::vector<ShownMessage>{{"Error", "Cant add additional TEXCOORD element, Already reached the limit of 8"}}));
}

TEST_F(DeclarationTest, AFullArrayIsNeverWrittenPast)
{
    std::vector<D3DVERTEXELEMENT9> many;
    for (int i = 0; i < kMaxVertexElements - 3; ++i)
        many.push_back(Element(static_cast<WORD>(4 * i), D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_BLENDWEIGHT, 0));
    ElementArray array(many);
    AppendWorldMatrixElements(array.elements);
    EXPECT_EQ(array.Content(), Concat(many, {kEnd}));
    EXPECT_THAT(messages_.Take(), testing::SizeIs(1));
    many.push_back(Element(0, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_BLENDWEIGHT, 1));
    many.push_back(Element(0, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_BLENDWEIGHT, 2));
    ElementArray full(many); // the end marker in the last entry
    AppendCustomElement(full.elements, 0, 1);
    EXPECT_EQ(full.Content(), Concat(many, {kEnd}));
    EXPECT_THAT(messages_.Take(), testing::SizeIs(1));
}

TEST_F(DeclarationTest, DefaultLayoutDeclaresTheMeshThenFourRows)
{
    int set = MakeBoundSet(10, LimbLayout{.elements = PositionNormalTexcoord()});
    const GeoInstRecord& record = Set(set);
    auto expected = Concat(PositionNormalTexcoord(), {Row(0, 1), Row(1, 2), Row(2, 3), Row(3, 4), kEnd});
    EXPECT_EQ(DeclarationElements(record.vertexDeclaration.ptr()), expected);
    EXPECT_EQ(ElementsUpToEnd(record.vertexElements), expected);
    EXPECT_EQ(record.stride, 64);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(DeclarationTest, FvfMeshIsDescribedByTheDeclarator)
{
    int set = MakeBoundSet(10, LimbLayout{.fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, .vertexSize = 32});
    auto expected = Concat(PositionNormalTexcoord(), {Row(0, 1), Row(1, 2), Row(2, 3), Row(3, 4), kEnd});
    EXPECT_EQ(DeclarationElements(Set(set).vertexDeclaration.ptr()), expected);

    int bare = MakeBoundSet(10, LimbLayout{.fvf = D3DFVF_XYZ, .vertexSize = 12});
    EXPECT_EQ(DeclarationElements(Set(bare).vertexDeclaration.ptr()),
              (std::vector<D3DVERTEXELEMENT9>{Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0), Row(0, 1),
                                              Row(1, 2), Row(2, 3), Row(3, 4), kEnd}))
        << "TEXCOORD0 stays free";
}

TEST_F(DeclarationTest, MeshUsingTexcoordFiveIsBoundWithoutRows)
{
    int set = MakeBoundSet(4);
    MakeObject(77, LimbLayout{.elements = Texcoords({5}), .vertexSize = 20});
    EXPECT_EQ(GeoInst_SetMesh(set, 77, 0), 0) << "a layout that does not fit is no refusal";
    EXPECT_EQ(GeoInst_GetMeshObject(set), 77);
    GeoInst_DeleteCustomElements(set); // the default layout is made again, with the same result
    EXPECT_EQ(DeclarationElements(Set(set).vertexDeclaration.ptr()), Concat(Texcoords({5}), {kEnd}));
    const ShownMessage noRows{"Error",
                              "Cant setup geometry instance for mesh, World Matrix Requires 4 Free TEXCOORD elements"};
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{noRows, noRows}));
}

TEST_F(DeclarationTest, CustomElementsAfterTheRows)
{
    int set = MakeBoundSet(10, LimbLayout{.elements = PositionNormalTexcoord()});
    // Any non-zero flag asks for the rows, so the custom data lies 64 bytes in, never 128.
    EXPECT_EQ(GeoInst_DeclareCustomElements(set, 2), 0);
    EXPECT_EQ(GeoInst_AddCustomElement(set, 3), 0);
    EXPECT_EQ(GeoInst_AddCustomElement(set, 2), 0);
    const GeoInstRecord& record = Set(set);
    EXPECT_EQ(record.stride, 64) << "while declaring, the default layout still holds";
    EXPECT_EQ(GeoInst_FinishCustomElements(set), 0);

    EXPECT_EQ(record.customElementsEnabled, 1);
    EXPECT_EQ(record.customDataOffset, 64);
    EXPECT_EQ(record.customElements[0].offset, 0);
    EXPECT_EQ(record.customElements[1].offset, 12);
    EXPECT_EQ(record.customDataSize, 20);
    EXPECT_EQ(record.stride, 84);
    EXPECT_EQ(DeclarationElements(record.vertexDeclaration.ptr()),
              Concat(PositionNormalTexcoord(), {Row(0, 1), Row(1, 2), Row(2, 3), Row(3, 4),
                                                Custom(64, D3DDECLTYPE_FLOAT3, 5), Custom(76, D3DDECLTYPE_FLOAT2, 6),
                                                kEnd}));
    D3DVERTEXBUFFER_DESC desc{};
    record.instanceBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 10u * 84) << "the finish remade the storage for the new stride";
    EXPECT_EQ(record.instanceDataBytes, 11u * 84);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());

    EXPECT_EQ(GeoInst_DeleteCustomElements(set), 0);
    EXPECT_EQ(record.stride, 64);
    EXPECT_EQ(record.customElementsEnabled, 0);
    EXPECT_EQ(record.customElements[1].components, 0);
    EXPECT_EQ(DeclarationElements(record.vertexDeclaration.ptr()),
              Concat(PositionNormalTexcoord(), {Row(0, 1), Row(1, 2), Row(2, 3), Row(3, 4), kEnd}));
    record.instanceBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 10u * 64);
}

TEST_F(DeclarationTest, AFourthCustomElementAfterTheRowsIsLeftOutOfTheLayout)
{
    // The finish of a bound set, or the binding of a finished one, shows the message and goes ahead.
    for (bool boundFirst : {true, false}) {
        int set = boundFirst ? MakeBoundSet(2, LimbLayout{.elements = PositionNormalTexcoord()}) : GeoInst_MakeNew();
        GeoInst_DeclareCustomElements(set, 1);
        for (int i = 0; i < 4; ++i)
            GeoInst_AddCustomElement(set, 1);
        GeoInst_FinishCustomElements(set);
        if (!boundFirst) {
            MakeObject(90, LimbLayout{.elements = PositionNormalTexcoord()});
            EXPECT_EQ(GeoInst_SetMesh(set, 90, 0), 0);
            EXPECT_EQ(GeoInst_GetMeshObject(set), 90);
        }
        const GeoInstRecord& record = Set(set);
        EXPECT_EQ(DeclarationElements(record.vertexDeclaration.ptr()),
                  Concat(PositionNormalTexcoord(), {Row(0, 1), Row(1, 2), Row(2, 3), Row(3, 4),
                                                    Custom(64, D3DDECLTYPE_FLOAT1, 5), Custom(68, D3DDECLTYPE_FLOAT1, 6),
                                                    Custom(72, D3DDECLTYPE_FLOAT1, 7), kEnd}))
            << "bound first: " << boundFirst;
        EXPECT_EQ(record.stride, 80) << "the stride keeps the layout's size";
        EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{
                                        {"Error", "Cant add additional TEXCOORD element, Already reached the limit of 8"}}));
    }
}

TEST_F(DeclarationTest, CustomElementsAreDeclaredWhereTheirDataLies)
{
    const ShownMessage noRows{"Error",
                              "Cant setup geometry instance for mesh, World Matrix Requires 4 Free TEXCOORD elements"};
    const struct Row {
        const char* what;
        std::vector<D3DVERTEXELEMENT9> mesh;
        int withWorldMatrix;
        int customDataOffset, stride;
        std::vector<D3DVERTEXELEMENT9> instanceElements; // after the mesh's own
        std::vector<ShownMessage> shown;
    } rows[] = {
        {"without rows: from byte 0, one above the mesh's last texcoord", Texcoords({2, 0}), 0, 0, 16,
         {Custom(0, D3DDECLTYPE_FLOAT4, 1), kEnd}, {}},
        {"rows that do not fit: still after their 64 bytes", Texcoords({5}), 1, 64, 88,
         {Custom(64, D3DDECLTYPE_FLOAT4, 6), Custom(80, D3DDECLTYPE_FLOAT2, 7), kEnd}, {noRows}},
    };
    for (const Row& row : rows) {
        int set = MakeBoundSet(3, LimbLayout{.elements = row.mesh});
        messages_.Take();
        GeoInst_DeclareCustomElements(set, row.withWorldMatrix);
        GeoInst_AddCustomElement(set, 4);
        if (row.withWorldMatrix)
            GeoInst_AddCustomElement(set, 2);
        GeoInst_FinishCustomElements(set);
        const GeoInstRecord& record = Set(set);
        EXPECT_EQ(record.customDataOffset, row.customDataOffset) << row.what;
        EXPECT_EQ(record.stride, row.stride) << row.what;
        EXPECT_EQ(record.worldMatrixEnabled, row.withWorldMatrix) << row.what;
        EXPECT_EQ(DeclarationElements(record.vertexDeclaration.ptr()), Concat(row.mesh, row.instanceElements))
            << row.what;
        EXPECT_EQ(messages_.Take(), row.shown) << row.what;
    }
}

TEST_F(DeclarationTest, AddingRefusesBadComponentCountsAndANinthElement)
{
    int set = GeoInst_MakeNew();
    GeoInst_DeclareCustomElements(set, 1);
    EXPECT_EQ(GeoInst_AddCustomElement(set, 5), 1);
    EXPECT_EQ(GeoInst_AddCustomElement(set, -1), 1);
    const GeoInstRecord& record = Set(set);
    EXPECT_EQ(record.customElementCount, 0);
    EXPECT_EQ(GeoInst_AddCustomElement(set, 0), 0);
    EXPECT_EQ(record.customElementCount, 1);
    EXPECT_EQ(record.customDataSize, 0) << "an element of no components takes no bytes";
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GeoInst_AddCustomElement(set, 2), 0);
    EXPECT_EQ(record.customElements[7].offset, 6 * 8);
    EXPECT_EQ(GeoInst_AddCustomElement(set, 1), 1) << "the record has room for eight";
    EXPECT_EQ(record.customElementCount, 8);
    EXPECT_EQ(record.customDataSize, 56);
}

TEST_F(DeclarationTest, FinishingWithoutBytesRevertsToTheDefault)
{
    int set = MakeBoundSet(5, LimbLayout{.elements = PositionNormalTexcoord()});
    GeoInst_DeclareCustomElements(set, 0);
    GeoInst_AddCustomElement(set, 0);
    GeoInst_FinishCustomElements(set);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"GeoInst_FinishCustomElements Error",
                                                            "No custom elements were defined, reverting to default settings"}}));
    const GeoInstRecord& record = Set(set);
    EXPECT_EQ(record.worldMatrixEnabled, 1);
    EXPECT_EQ(record.customElementsEnabled, 0);
    EXPECT_EQ(record.customElementCount, 0);
    EXPECT_EQ(record.stride, 64);
    EXPECT_EQ(DeclarationElements(record.vertexDeclaration.ptr()),
              Concat(PositionNormalTexcoord(), {Row(0, 1), Row(1, 2), Row(2, 3), Row(3, 4), kEnd}));
}

TEST_F(DeclarationTest, FinishingOnABareSetOnlyUpdatesTheLayout)
{
    int set = GeoInst_MakeNew();
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 2);
    GeoInst_FinishCustomElements(set);
    const GeoInstRecord& record = Set(set);
    EXPECT_EQ(record.stride, 72);
    EXPECT_EQ(record.customElementsEnabled, 1);
    EXPECT_EQ(record.vertexDeclaration, nullptr);
    EXPECT_EQ(record.transforms.get(), nullptr);
    EXPECT_EQ(record.instanceBuffer, nullptr);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    GeoInst_SetMaxInstanceCount(set, 2);
    EXPECT_EQ(record.instanceDataBytes, 3u * 72) << "storage made later follows the finished layout";
}

TEST_F(DeclarationTest, ARebuildWhileDeclaringTurnsTheRowsBackOn)
{
    int set = MakeBoundSet(5, LimbLayout{.elements = PositionNormalTexcoord()});
    MakeObject(77, LimbLayout{.elements = PositionNormalTexcoord()});
    const std::function<void()> rebuilds[] = {[&] { GeoInst_SetMaxInstanceCount(set, 6); },
                                              [&] { GeoInst_SetMesh(set, 77, 0); }};
    for (const auto& rebuild : rebuilds) {
        GeoInst_DeclareCustomElements(set, 0);
        EXPECT_EQ(Set(set).worldMatrixEnabled, 0);
        rebuild();
        EXPECT_EQ(Set(set).worldMatrixEnabled, 1);
        GeoInst_AddCustomElement(set, 4);
        GeoInst_FinishCustomElements(set);
        EXPECT_EQ(Set(set).customDataOffset, 64) << "the finished layout has the rows";
        EXPECT_EQ(DeclarationElements(Set(set).vertexDeclaration.ptr()),
                  Concat(PositionNormalTexcoord(), {Row(0, 1), Row(1, 2), Row(2, 3), Row(3, 4),
                                                    Custom(64, D3DDECLTYPE_FLOAT4, 5), kEnd}));
    }
}

} // namespace
