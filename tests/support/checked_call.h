// Calls of command exports typed by their generated prototypes (typed_command.h) that fail the test
// when the loaded plugin lacks the export:
//     CALL(GeoInst_SetPosition, set, 1, 0.0f, 0.0f, 5.0f)
// expands to CallExport<decltype(&GeoInst_SetPosition)>("GeoInst_SetPosition", ...), a member of
// the fixture (or of any type with such a member) that hands its plugin to CallCommandExport.
#pragma once

#include <gtest/gtest.h>

#include "export_values.h"
#include "typed_command.h"

#define CALL(name, ...) CallExport<decltype(&name)>(#name __VA_OPT__(, ) __VA_ARGS__)
// An F result, read back from the float's bit pattern it travels as.
#define CALL_F(name, ...) AsFloat(CALL(name __VA_OPT__(, ) __VA_ARGS__))

// Calls export `exportName` of `plugin` as a `Function`; the integer result, or 0 and a failed test
// when the plugin has no such export.
template <typename Function, typename... Arguments>
int CallCommandExport(const refhost::LoadedPlugin& plugin, const char* exportName, Arguments... arguments)
{
    const script::TypedCommand<Function> command{refhost::ExportAs<Function>(plugin, exportName)};
    if (!command)
        ADD_FAILURE() << "Ryxo.dll has no export " << exportName;
    return command(arguments...);
}
