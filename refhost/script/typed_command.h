// Command exports called by name from C++ (the demo, the benchmarks, the tests), typed by their
// generated prototypes (command_prototypes.h):
//     const auto setPosition = FIND_COMMAND(plugin, GeoInst_SetPosition);
//     setPosition(set, 1, 0.0f, 0.0f, 5.0f);
// The prototypes come from the same command rows as the table the script runner binds against, so
// a call whose arguments no longer fit its command's row does not compile; a command the loaded
// plugin lacks is said when it is looked up. Only the prototype's type is used: the export itself is
// found by name in the loaded plugin.
#pragma once

#include <cstdio>
#include <type_traits>

#include "command_prototypes.h"
#include "plugin_loader.h"

namespace script {

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

// One command export of the loaded plugin, looked up once (a look-up by name costs more than many
// commands' work).
template <typename Function>
struct TypedCommand {
    Function function = nullptr;

    explicit operator bool() const { return function != nullptr; }

    // The command's result (an F result is the float's bit pattern); 0 when the export is missing.
    template <typename... Arguments>
    int operator()(Arguments... arguments) const
    {
        static_assert(CommandParameters<Function>::template Fit<Arguments...>(),
                      "the arguments do not fit the command's prototype");
        return function ? function(arguments...) : 0;
    }
};

// Export `exportName` of `plugin` as a `Function`; an empty command, said on stderr, when the plugin
// has no such export.
template <typename Function>
TypedCommand<Function> FindCommand(const refhost::LoadedPlugin& plugin, const char* exportName)
{
    const TypedCommand<Function> command{refhost::ExportAs<Function>(plugin, exportName)};
    if (!command)
        std::fprintf(stderr, "Ryxo.dll has no export %s\n", exportName);
    return command;
}

} // namespace script

#define FIND_COMMAND(plugin, name) script::FindCommand<decltype(&name)>(plugin, #name)
