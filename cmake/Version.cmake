# The project's one version number, for every versioned file it builds and
# ships (Kestrix.dll, Trellup.exe, the installers):
#   KX_VERSION          major.minor.patch.build, from project() in the top
#                       CMakeLists.txt (a missing build part counts as 0)
#   kx_version.h        KX_VERSION_MAJOR/MINOR/PATCH/BUILD and
#                       KX_VERSION_STRING, generated into the build tree;
#                       resource scripts and code include it
#   kx_version          interface target that puts that header on the
#                       include path (resource compiler included)
set(kx_build_part ${PROJECT_VERSION_TWEAK})
if(kx_build_part STREQUAL "")
  set(kx_build_part 0)
endif()
set(KX_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(KX_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(KX_VERSION_PATCH ${PROJECT_VERSION_PATCH})
set(KX_VERSION_BUILD ${kx_build_part})
set(KX_VERSION "${KX_VERSION_MAJOR}.${KX_VERSION_MINOR}.${KX_VERSION_PATCH}.${KX_VERSION_BUILD}")

set(KX_VERSION_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kx_version.h.in ${KX_VERSION_INCLUDE_DIR}/kx_version.h @ONLY)
add_library(kx_version INTERFACE)
target_include_directories(kx_version INTERFACE ${KX_VERSION_INCLUDE_DIR})
