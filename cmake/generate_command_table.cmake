cmake_minimum_required(VERSION 3.20)
# Generates, from the command rows of the families (<family>/commands.rows), the files that must
# never drift apart:
#   the string-table resource the host reads (RT_STRING, language 1033),
#   the module-definition file with every export of Ryxo.dll,
#   a C++ include listing (id, row) for the tests,
#   the C++ prototype of every command export and of the body behind it, which every command source
#   includes, so that a body whose parameters disagree with its row's type letters does not compile,
#   the command exports themselves: each calls its body inside the boundary (command_boundary.h),
#   which turns anything the body throws into the failure value its row gives.
# Run with: cmake -DSOURCE_DIR=... -DOUT_DIR=... -P generate_command_table.cmake

# The families are the lines of families.txt that are not comments. The resource lists their rows
# in alphabetical order of family, whatever the list's order.
file(STRINGS "${SOURCE_DIR}/families.txt" families REGEX "^[a-z]")
list(SORT families)
list(TRANSFORM families PREPEND "${SOURCE_DIR}/" OUTPUT_VARIABLE row_files)
list(TRANSFORM row_files APPEND "/commands.rows")

set(ids "")
set(rc_body "")
set(test_rows "")
set(exports "")
set(prototypes "")
set(body_prototypes "")
set(boundaries "")
set(prototyped "")

# L -> int, F -> float, S -> const char*; the result always travels as an int. Sets `out` to the
# parameter types ("int, float"), `out`_named to them named a1, a2, ... and `out`_args to the names.
function(cpp_parameters letters out)
    set(types "")
    set(named "")
    set(args "")
    if(NOT letters STREQUAL "0")
        string(LENGTH "${letters}" count)
        math(EXPR last "${count} - 1")
        foreach(i RANGE ${last})
            string(SUBSTRING "${letters}" ${i} 1 letter)
            math(EXPR n "${i} + 1")
            if(letter STREQUAL "L")
                set(type "int")
            elseif(letter STREQUAL "F")
                set(type "float")
            else()
                set(type "const char*")
            endif()
            list(APPEND types "${type}")
            list(APPEND named "${type} a${n}")
            list(APPEND args "a${n}")
        endforeach()
    endif()
    string(REPLACE ";" ", " types "${types}")
    string(REPLACE ";" ", " named "${named}")
    string(REPLACE ";" ", " args "${args}")
    set(${out} "${types}" PARENT_SCOPE)
    set(${out}_named "${named}" PARENT_SCOPE)
    set(${out}_args "${args}" PARENT_SCOPE)
endfunction()

# The export of one command: its parameters named a1, a2, ..., the body called inside the boundary.
# `failure` is what the export answers when the body throws.
function(boundary_definition export_name letters failure out)
    cpp_parameters("${letters}" params)
    set(${out} "int __cdecl ${export_name}(${params_named})\n{\n    return InsideBoundary(${failure}, [&] { return command_bodies::${export_name}(${params_args}); });\n}\n" PARENT_SCOPE)
endfunction()

foreach(row_file IN LISTS row_files)
    file(STRINGS "${row_file}" lines)
    # CMake does not split a list at ';' inside an unmatched '[', and result rows carry one: the
    # bracket travels as a placeholder until the list is split.
    string(REPLACE "[" "<result-mark>" lines "${lines}")
    foreach(line IN LISTS lines)
        string(REPLACE "<result-mark>" "[" line "${line}")
        if(line MATCHES "^[ \t]*(#.*)?$")
            continue()
        endif()
        # The failure value is the export's answer when its body throws; the host never sees it.
        if(NOT line MATCHES "^([0-9]+) (.+) on-failure:(0|1)$")
            message(FATAL_ERROR "${row_file}: not '<id> <row> on-failure:<0 or 1>': ${line}")
        endif()
        set(id "${CMAKE_MATCH_1}")
        set(row "${CMAKE_MATCH_2}")
        set(failure "${CMAKE_MATCH_3}")
        # name, optional '[', '%', type letters, '%', export, '%'
        if(NOT row MATCHES "^([A-Za-z_][A-Za-z0-9_ ]*)(\\[?)%(0|[LFS]+)%([A-Za-z_][A-Za-z0-9_]*)%$")
            message(FATAL_ERROR "${row_file}: malformed command row ${id}: ${row}")
        endif()
        set(export_name "${CMAKE_MATCH_4}")
        set(letters "${CMAKE_MATCH_3}")
        set(returns_value "${CMAKE_MATCH_2}")
        if(returns_value STREQUAL "[")
            if(letters STREQUAL "0")
                message(FATAL_ERROR "${row_file}: row ${id} returns a value but has no type letter for it")
            endif()
            string(SUBSTRING "${letters}" 1 -1 letters)
            if(letters STREQUAL "")
                set(letters "0")
            endif()
        endif()
        cpp_parameters("${letters}" params)
        if(NOT export_name IN_LIST prototyped)
            list(APPEND prototyped "${export_name}")
            string(APPEND prototypes "int __cdecl ${export_name}(${params});\n")
            string(APPEND body_prototypes "int ${export_name}(${params});\n")
            boundary_definition("${export_name}" "${letters}" ${failure} boundary)
            string(APPEND boundaries "\n${boundary}")
        endif()
        if(id IN_LIST ids)
            message(FATAL_ERROR "${row_file}: command id ${id} is used twice")
        endif()
        list(APPEND ids "${id}")
        list(APPEND exports "${export_name}")
        string(APPEND rc_body "    ${id}, \"${row}\"\n")
        string(APPEND test_rows "{${id}, \"${row}\"},\n")
    endforeach()
endforeach()

# Exports the host calls that are not commands: render callbacks, one name per line.
list(TRANSFORM row_files REPLACE "commands.rows$" "render.callbacks" OUTPUT_VARIABLE callback_paths)
file(GLOB callback_files ${callback_paths})
foreach(callback_file IN LISTS callback_files)
    file(STRINGS "${callback_file}" lines)
    foreach(line IN LISTS lines)
        if(line MATCHES "^[ \t]*(#.*)?$")
            continue()
        endif()
        string(STRIP "${line}" line)
        list(APPEND exports "${line}")
        # Render callbacks take nothing; the host ignores what they return.
        string(APPEND prototypes "int __cdecl ${line}();\n")
        string(APPEND body_prototypes "int ${line}();\n")
        boundary_definition("${line}" "0" 0 boundary)
        string(APPEND boundaries "\n${boundary}")
    endforeach()
endforeach()

list(REMOVE_DUPLICATES exports)
list(SORT exports)

set(def "LIBRARY Ryxo.dll\nEXPORTS\n")
# The plugin protocol, under the decorated names the host looks up.
string(APPEND def "    \"?GetNumDependencies@@YAHXZ\" = GetNumDependencies\n")
string(APPEND def "    \"?GetDependencyID@@YAPBDH@Z\" = GetDependencyID\n")
string(APPEND def "    \"?ReceiveCoreDataPtr@@YAXPAX@Z\" = ReceiveCoreDataPtr\n")
string(APPEND def "    \"?D3DDeviceLost@@YAXXZ\" = D3DDeviceLost\n")
foreach(export_name IN LISTS exports)
    string(APPEND def "    ${export_name}\n")
endforeach()

set(rc "#include <winresrc.h>\nLANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\nSTRINGTABLE\nBEGIN\n${rc_body}END\n")

# Write only on change so that an unchanged table does not relink everything.
function(write_if_changed path content)
    if(EXISTS "${path}")
        file(READ "${path}" old)
        if(old STREQUAL content)
            return()
        endif()
    endif()
    file(WRITE "${path}" "${content}")
endfunction()

write_if_changed("${OUT_DIR}/command_table.rc" "${rc}")
write_if_changed("${OUT_DIR}/Ryxo.def" "${def}")
write_if_changed("${OUT_DIR}/command_rows.inc" "${test_rows}")
write_if_changed("${OUT_DIR}/command_prototypes.h"
    "// Generated from the command rows: the prototype of every command export, and of the body behind\n// it that the command's source defines with RYXO_COMMAND.\n#pragma once\n\nextern \"C\" {\n${prototypes}}\n\nnamespace command_bodies {\n${body_prototypes}}\n")
write_if_changed("${OUT_DIR}/command_exports.cpp"
    "// Generated from the command rows: every command export, its body called inside the boundary.\n#include \"command_boundary.h\"\n#include \"command_prototypes.h\"\n${boundaries}")
