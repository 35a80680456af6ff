cmake_minimum_required(VERSION 3.20)
# Generates, from the command rows in plugin/commands, the three files that must never drift apart:
#   the string-table resource the host reads (RT_STRING, language 1033),
#   the module-definition file with every export of Ryxo.dll,
#   a C++ include listing (id, row) for the tests.
# Run with: cmake -DROWS_DIR=... -DOUT_DIR=... -P generate_command_table.cmake

file(GLOB row_files "${ROWS_DIR}/*.rows")
list(SORT row_files)

set(ids "")
set(rc_body "")
set(test_rows "")
set(exports "")

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
