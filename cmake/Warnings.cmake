# Compiler settings for the project's own targets.
#  kx_project_options: warnings (errors unless KX_WERROR is off) and, natively,
#  the sanitizers chosen by the preset through KX_SANITIZE.
option(KX_WERROR "Treat warnings on our own code as errors" ON)
set(KX_SANITIZE "" CACHE STRING "Sanitizers for native builds (address;undefined or thread)")

add_library(kx_project_options INTERFACE)
target_compile_options(kx_project_options INTERFACE -Wall -Wextra)
if(KX_WERROR)
  target_compile_options(kx_project_options INTERFACE -Werror)
endif()

if(WIN32)
  # NOSERVICE: winsvc.h would rename the service object's OpenService.
  target_compile_definitions(kx_project_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX NOSERVICE _WIN32_WINNT=0x0601)
endif()

if(KX_SANITIZE AND NOT WIN32)
  list(JOIN KX_SANITIZE "," kx_san)
  # Sanitizers apply to everything in the native trees, GoogleTest included,
  # so that instrumented and uninstrumented code never mix.
  add_compile_options(-fsanitize=${kx_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${kx_san})
endif()
