cmake_minimum_required(VERSION 3.20)
# Packs the release: run by the ryxo_release target (release/CMakeLists.txt) with
# DLL, OBJCOPY, STRIP, REFERENCE, INSTALL_TEXT, EFFECTS, OUT and NAME set.
set(stage ${OUT}/${NAME})
file(REMOVE_RECURSE ${stage} ${OUT}/unpacked)
file(MAKE_DIRECTORY ${stage})

# The debug information stays beside the build; the shipped DLL names it in .gnu_debuglink, so a
# debugger given both finds it.
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "release: failed: ${ARGN}")
    endif()
endfunction()
run(${OBJCOPY} --only-keep-debug ${DLL} ${OUT}/Ryxo.dll.debug)
run(${STRIP} --strip-all -o ${stage}/Ryxo.dll ${DLL})
run(${OBJCOPY} --add-gnu-debuglink=${OUT}/Ryxo.dll.debug ${stage}/Ryxo.dll)

file(COPY ${REFERENCE}/ryxo_keywords.txt DESTINATION ${stage})
# The reference as generated: its pages, the guides and the pictures they show.
file(COPY ${REFERENCE}/index.html ${REFERENCE}/loading.html ${REFERENCE}/effects.html
          ${REFERENCE}/script_language.html ${REFERENCE}/style.css
          ${REFERENCE}/commands ${REFERENCE}/guides ${REFERENCE}/pictures DESTINATION ${stage}/reference)
configure_file(${INSTALL_TEXT} ${stage}/INSTALL.txt COPYONLY)
# The effect files the guides show and the demo draws with, as they are in the source tree.
file(GLOB effect_files ${EFFECTS}/*.fx)
file(COPY ${effect_files} DESTINATION ${stage}/effects)

# The archive is opened on Windows, where older editors show a text with bare LF line ends as one
# long line: every text file it carries gets CR LF.
file(GLOB_RECURSE texts ${stage}/*.txt ${stage}/*.html ${stage}/*.css ${stage}/*.js ${stage}/*.fx)
foreach(text IN LISTS texts)
    file(READ ${text} content)
    string(REPLACE "\r\n" "\n" content "${content}")
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${text} "${content}")
endforeach()

file(REMOVE ${OUT}/${NAME}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${NAME}.zip --format=zip ${NAME}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "release: could not write ${OUT}/${NAME}.zip")
endif()
file(MAKE_DIRECTORY ${OUT}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ../${NAME}.zip WORKING_DIRECTORY ${OUT}/unpacked
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "release: could not unpack ${OUT}/${NAME}.zip")
endif()
