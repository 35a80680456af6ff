// The built Ryxo.dll as a file: what it imports, what it exports, its version resource.
#include <gtest/gtest.h>

#include "pe_image.h"
#include "plugin_fixture.h"

namespace {

const char* const kProtocolExports[] = {
    "?GetNumDependencies@@YAHXZ",
    "?GetDependencyID@@YAPBDH@Z",
    "?ReceiveCoreDataPtr@@YAXPAX@Z",
    "?D3DDeviceLost@@YAXXZ",
};

class DllImageTest : public RyxoDllTest {};

// Windows and the DirectX 9 runtime's d3dx9_35.dll: Direct3D itself comes through the host's device.
TEST_F(DllImageTest, ImportsOnlySystemLibraries)
{
    const std::set<std::string> expected = {"kernel32.dll", "user32.dll", "msvcrt.dll", "d3dx9_35.dll"};
    EXPECT_EQ(ImportedDlls(plugin_.module), expected);
}

TEST_F(DllImageTest, ExportsTheProtocolUnderDecoratedNamesOnly)
{
    std::set<std::string> exports = ExportNames(plugin_.module);
    for (const char* name : kProtocolExports)
        EXPECT_TRUE(exports.count(name)) << "missing protocol export " << name;
    for (const char* plain : {"GetNumDependencies", "GetDependencyID", "ReceiveCoreDataPtr", "D3DDeviceLost", "DllMain"})
        EXPECT_FALSE(exports.count(plain)) << plain << " must not be exported undecorated";
    // Only the protocol carries decorated names.
    int decorated = 0;
    for (const std::string& name : exports)
        decorated += name.find_first_of("?@") != std::string::npos;
    EXPECT_EQ(decorated, 4);
}

TEST_F(DllImageTest, VersionResourceNamesTheProduct)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(plugin_.module, path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));
    char* product = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, "Ryxo");
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_GE(HIWORD(fixed->dwProductVersionMS), 1u);
}

} // namespace
