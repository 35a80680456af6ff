// Calls of command exports typed by their generated prototypes (command_prototypes.h), so that a
// call whose arguments do not fit the command's row does not compile:
//     CALL(GeoInst_SetPosition, set, 1, 0.0f, 0.0f, 5.0f)
// expands to CallExport<decltype(&GeoInst_SetPosition)>("GeoInst_SetPosition", ...), a member of
// the fixture (or of any type with such a member) that hands its plugin to CallCommandExport. Only
// the prototype's type is used: the export is looked up by name in the loaded plugin.
#pragma once

#include <type_traits>

#include <gtest/gtest.h>

#include "command_prototypes.h"
#include "export_values.h"
#include "plugin_loader.h"

#define CALL(name, ...) CallExport<decltype(&name)>(#name __VA_OPT__(, ) __VA_ARGS__)
// An F result, read back from the float's bit pattern it travels as.
#define CALL_F(name, ...) AsFloat(CALL(name __VA_OPT__(, ) __VA_ARGS__))

// Whether an argument crosses the export as the row's type letter says, as the host passes it:
// a float for F, an integer or enumerator for L, a string for S. An integer for F (or a float for
// L) would be converted on the way instead of reaching the command as a script would send it.
template <typename Parameter, typename Argument>
constexpr bool kArgumentFits = std::is_same_v<Parameter, float>
                                   ? std::is_same_v<Argument, float>
                                   : std::is_same_v<Parameter, int>
                                         ? std::is_integral_v<Argument> || std::is_enum_v<Argument>
                                         : std::is_convertible_v<Argument, Parameter>;

template <typename Function>
struct CommandParameters;
template <typename... Parameters>
struct CommandParameters<int(__cdecl*)(Parameters...)> {
    template <typename... Arguments>
    static constexpr bool Fit()
    {
        if constexpr (sizeof...(Arguments) != sizeof...(Parameters))
            return false;
        else
            return (kArgumentFits<Parameters, Arguments> && ...);
    }
};

// Calls export `exportName` of `plugin` as a `Function`; the integer result, or 0 and a failed test
// when the plugin has no such export.
template <typename Function, typename... Arguments>
int CallCommandExport(const refhost::LoadedPlugin& plugin, const char* exportName, Arguments... arguments)
{
    static_assert(CommandParameters<Function>::template Fit<Arguments...>(),
                  "the arguments do not fit the command's prototype");
    const auto command = refhost::ExportAs<Function>(plugin, exportName);
    if (!command) {
        ADD_FAILURE() << "Ryxo.dll has no export " << exportName;
        return 0;
    }
    return command(arguments...);
}
