# SPDX-License-Identifier: GPL-3.0-or-later
# `format` rewrites every tracked C++ file in place; `format-check` fails when one would change.
find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
    set(_format_dirs src tests bench)
    add_custom_target(format
        COMMAND ${CMAKE_COMMAND} -DCLANG_FORMAT=${CLANG_FORMAT_EXE} -DMODE=fix
                -DROOT=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/RunClangFormat.cmake
        COMMENT "Formatting sources" VERBATIM)
    add_custom_target(format-check
        COMMAND ${CMAKE_COMMAND} -DCLANG_FORMAT=${CLANG_FORMAT_EXE} -DMODE=check
                -DROOT=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/RunClangFormat.cmake
        COMMENT "Checking formatting" VERBATIM)
endif()
