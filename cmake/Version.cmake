# The one version number of both programs and both packages: the project's
# VERSION. It goes into version/board_version.h (for the version resources)
# and into both manifests (version/tesmar.manifest, version/wenlo.manifest)
# under BOARD_VERSION_ROOT in the build directory; scripts/release reads
# version.txt in the build directory for the packages' ProductVersion.
set(BOARD_VERSION ${PROJECT_VERSION})
set(BOARD_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(BOARD_VERSION_ROOT ${CMAKE_BINARY_DIR}/board_version)
set(BOARD_VERSION_DIR ${BOARD_VERSION_ROOT}/version)
file(MAKE_DIRECTORY ${BOARD_VERSION_DIR})
file(CONFIGURE OUTPUT ${BOARD_VERSION_DIR}/board_version.h CONTENT
"// Made by the build from the project's version; do not edit.
#pragma once
#define BOARD_VERSION_MAJOR ${PROJECT_VERSION_MAJOR}
#define BOARD_VERSION_MINOR ${PROJECT_VERSION_MINOR}
#define BOARD_VERSION_PATCH ${PROJECT_VERSION_PATCH}
#define BOARD_VERSION_TEXT \"${BOARD_VERSION}\"
")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version.txt CONTENT "${BOARD_VERSION}\n")
configure_file(${CMAKE_SOURCE_DIR}/server/shell/tesmar.manifest ${BOARD_VERSION_DIR}/tesmar.manifest @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/client/shell/wenlo.manifest ${BOARD_VERSION_DIR}/wenlo.manifest @ONLY)
