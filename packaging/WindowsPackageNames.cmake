# SPDX-License-Identifier: GPL-3.0-or-later
# Read by CPack once per package kind: the installer is named for what it does, the zip for what it holds.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME tessaly-${CPACK_PACKAGE_VERSION}-setup)
endif()
