# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack on the staged files of each Windows package, before they are packed.
#
# The zip is a portable copy: the shipped tessdesk.ini beside tessaly.exe makes the folder the program's
# own. An installed copy must never be taken for one (an administrator, or Wine, can write under Program
# Files), so the installer keeps the shipped files in a folder of their own, from which the first start
# seeds %APPDATA%\Tessaly.
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
    return()
endif()
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
file(MAKE_DIRECTORY ${staged}/${CPACK_TESSALY_SHIPPED_DIR})
foreach(file IN LISTS CPACK_TESSALY_SHIPPED_FILES)
    file(RENAME ${staged}/${file} ${staged}/${CPACK_TESSALY_SHIPPED_DIR}/${file})
endforeach()
