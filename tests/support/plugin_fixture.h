// Fixture for tests of the built Ryxo.dll: the reference host is started once per test program,
// and every test gets a freshly loaded plugin (so plugin-wide state starts anew) and a watcher
// that answers the message boxes it shows.
#pragma once

#include <gtest/gtest.h>

#include "checked_call.h"
#include "message_box_watcher.h"
#include "plugin_loader.h"
#include "export_values.h"

class RyxoDllTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    FARPROC Export(const char* name) const;

    // The command calls of CALL.
    template <typename Function, typename... Args>
    int CallExport(const char* exportName, Args... args)
    {
        return CallCommandExport<Function>(plugin_, exportName, args...);
    }

    // Script-style address of a block of memory.
    template <typename T>
    static int Address(T* p)
    {
        return ScriptAddress(p);
    }

    refhost::LoadedPlugin plugin_;
    MessageBoxWatcher messages_;
};
