cmake_minimum_required(VERSION 3.20)
# Generates, from the command rows in plugin/commands, the three files that must never drift apart:
#   the string-table resource the host reads (RT_STRING, language 1033),
#   the module-definition file with every export of Ryxo.dll,
#   a C++ include listing (id, row) for the tests,
#   the C++ prototype of every command export, which every command source includes, so that a
#   function whose parameters disagree with its row's type letters does not compile.
# Run with: cmake -DROWS_DIR=... -DOUT_DIR=... -P generate_command_table.cmake

file(GLOB row_files "${ROWS_DIR}/*.rows")
list(SORT row_files)

set(ids "")
set(rc_body "")
set(test_rows "")
set(exports "")
set(prototypes "")
set(prototyped "")

# L -> int, F -> float, S -> const char*; the result always travels as an int.
function(cpp_parameters letters out)
    set(params "")
    if(NOT letters STREQUAL "0")
        string(LENGTH "${letters}" count)
        math(EXPR last "${count} - 1")
        foreach(i RANGE ${last})
            string(SUBSTRING "${letters}" ${i} 1 letter)
            if(letter STREQUAL "L")
                list(APPEND params "int")
            elseif(letter STREQUAL "F")
                list(APPEND params "float")
            else()
                list(APPEND params "const char*")
            endif()
        endforeach()
    endif()
    string(REPLACE ";" ", " params "${params}")
    set(${out} "${params}" PARENT_SCOPE)
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
        if(NOT line MATCHES "^([0-9]+) (.+)$")
            message(FATAL_ERROR "${row_file}: not '<id> <row>': ${line}")
        endif()
        set(id "${CMAKE_MATCH_1}")
        set(row "${CMAKE_MATCH_2}")
        # name, optional '[', '%', type letters, '%', export, '%'
        if(NOT row MATCHES "^([A-Za-z_][A-Za-z0-9_ ]*)(\\[?)%(0|[LFS]+)%([A-Za-z_][A-Za-z0-9_]*)%$")
            message(FATAL_ERROR "${row_file}: malformed command row ${id}: ${row}")
        endif()
        set(export_name "${CMAKE_MATCH_4}")
        set(letters "${CMAKE_MATCH_3}")
        if(CMAKE_MATCH_2 STREQUAL "[")
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
file(GLOB callback_files "${ROWS_DIR}/*.callbacks")
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
    "// Generated from plugin/commands: the prototype of every command export.\n#pragma once\n\nextern \"C\" {\n${prototypes}}\n")
