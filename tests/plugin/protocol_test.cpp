// The plugin protocol as the host drives it, on a freshly loaded Ryxo.dll.
#include <cstring>

#include <gtest/gtest.h>

#include "message_box_watcher.h"
#include "misaligned_call.h"
#include "pe_image.h"
#include "plugin_loader.h"

namespace {

using CountFn = int(__cdecl*)();
using NameFn = const char*(__cdecl*)(int);
using ReceiveFn = void(__cdecl*)(void*);

class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryA("Ryxo.dll");
        ASSERT_NE(module_, nullptr);
        count_ = refhost::ExportAs<CountFn>(module_, "?GetNumDependencies@@YAHXZ");
        name_ = refhost::ExportAs<NameFn>(module_, "?GetDependencyID@@YAPBDH@Z");
        receive_ = refhost::ExportAs<ReceiveFn>(module_, "?ReceiveCoreDataPtr@@YAXPAX@Z");
        ASSERT_TRUE(count_ && name_ && receive_);
    }
    void TearDown() override { FreeLibrary(module_); }

    HMODULE module_ = nullptr;
    CountFn count_ = nullptr;
    NameFn name_ = nullptr;
    ReceiveFn receive_ = nullptr;
};

TEST_F(ProtocolTest, NamesTheFiveHostLibrariesInOrder)
{
    ASSERT_EQ(count_(), 5);
    const char* expected[] = {"DBProBasic3DDebug.dll", "DBProCameraDebug.dll", "DBProCore.dll",
                              "DBProImageDebug.dll", "DBProSetupDebug.dll"};
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(name_(i), expected[i]) << "call " << i;
}

TEST_F(ProtocolTest, DependencyIndexIsNotConsultedAndTheLastNameRepeats)
{
    count_();
    EXPECT_STREQ(name_(4), "DBProBasic3DDebug.dll");
    EXPECT_STREQ(name_(0), "DBProCameraDebug.dll");
    name_(0);
    name_(0);
    EXPECT_STREQ(name_(0), "DBProSetupDebug.dll");
    EXPECT_STREQ(name_(0), "DBProSetupDebug.dll");
    // A new count rewinds.
    count_();
    EXPECT_STREQ(name_(2), "DBProBasic3DDebug.dll");
}

TEST_F(ProtocolTest, NullCoreDataShowsTheThreeFatalBoxesInBinderOrder)
{
    MessageBoxWatcher watcher;
    receive_(nullptr);
    std::vector<ShownMessage> expected = {
        {"Ryxo Plugin", "Fatal Error: Could not initialise DBProBasic3DDebug.dll"},
        {"Ryxo Plugin", "Fatal Error: Could not initialise DBProCameraDebug.dll"},
        {"Ryxo Plugin", "Fatal Error: Could not initialise DBProImageDebug.dll"},
    };
    EXPECT_EQ(watcher.Take(), expected);
    // The core and setup binders opened their libraries by name all the same.
    EXPECT_NE(GetModuleHandleA("DBProCore.dll"), nullptr);
    EXPECT_NE(GetModuleHandleA("DBProSetupDebug.dll"), nullptr);
}

TEST_F(ProtocolTest, EntryPointReportsSuccessForThreadReasons)
{
    EntryPoint entry = ModuleEntryPoint(module_);
    EXPECT_EQ(entry(module_, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(entry(module_, DLL_THREAD_DETACH, nullptr), TRUE);
    // Still answering afterwards.
    EXPECT_EQ(count_(), 5);
}

TEST_F(ProtocolTest, ExportsTolerateAStackAlignedToFourBytesOnly)
{
    count_();
    auto name = reinterpret_cast<const void*>(name_);
    uint32_t args[] = {0};
    auto text = reinterpret_cast<const char*>(CallWithMisalignedStack(name, args, 1));
    EXPECT_STREQ(text, "DBProBasic3DDebug.dll");

    float target[18] = {};
    target[17] = 42.0f;
    uint32_t pokeArgs[17];
    pokeArgs[0] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&target[1]));
    for (int i = 1; i <= 16; ++i) {
        float v = static_cast<float>(i);
        std::memcpy(&pokeArgs[i], &v, 4);
    }
    CallWithMisalignedStack(reinterpret_cast<const void*>(GetProcAddress(module_, "PokeMatrix4")), pokeArgs, 17);
    for (int i = 1; i <= 16; ++i)
        EXPECT_EQ(target[i], static_cast<float>(i));
    EXPECT_EQ(target[0], 0.0f);
    EXPECT_EQ(target[17], 42.0f);
}

} // namespace
