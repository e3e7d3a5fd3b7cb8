# SPDX-License-Identifier: GPL-3.0-or-later
file(GLOB_RECURSE _files
    "${ROOT}/src/*.cpp" "${ROOT}/src/*.h"
    "${ROOT}/tests/*.cpp" "${ROOT}/tests/*.h"
    "${ROOT}/bench/*.cpp" "${ROOT}/bench/*.h"
    "${ROOT}/tools/*.cpp" "${ROOT}/tools/*.h")
if(NOT _files)
    return()
endif()
if(MODE STREQUAL "fix")
    execute_process(COMMAND ${CLANG_FORMAT} -i ${_files} RESULT_VARIABLE _rc)
else()
    execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${_files} RESULT_VARIABLE _rc)
endif()
if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "clang-format: some files are not formatted (run: cmake --build <dir> --target format)")
endif()
