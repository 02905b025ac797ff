# COM build helpers for the Windows trees.
#
#   kx_add_idl(<target> <file.idl> [RC <file.rc>])
#     Runs widl on the IDL (Wine's IDL headers, stdole2.tlb from Wine) and adds
#     to <target> the generated header's folder as include path and the IID
#     source. The type library is written to <build>/idl/<name>.tlb and its
#     path is returned in <name>_TLB (parent scope) for embedding. The
#     resource script given with RC is rebuilt when the type library changes.
#
#   Resources (.rc) are compiled by windres through CMake's RC language; a
#   resource script embeds a type library with:  1 TYPELIB "<name>.tlb"
#   (the folder of the .tlb is on the resource include path).
enable_language(RC)

find_program(KX_WIDL NAMES widl ${KX_MINGW_TRIPLE}-widl REQUIRED)
set(KX_WINE_IDL_INCLUDE /usr/include/wine/wine/windows CACHE PATH "Wine's IDL headers")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KX_WIDL_ARCH --win64)
  set(KX_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
  set(KX_WIDL_ARCH --win32)
  set(KX_STDOLE_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
if(NOT EXISTS ${KX_STDOLE_DIR}/stdole2.tlb)
  message(FATAL_ERROR "stdole2.tlb not found in ${KX_STDOLE_DIR} (packages wine64 / wine32)")
endif()

function(kx_add_idl target idl)
  cmake_parse_arguments(I "" "RC" "" ${ARGN})
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(idl_abs ${idl} ABSOLUTE)
  get_filename_component(idl_dir ${idl_abs} DIRECTORY)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/idl)
  file(MAKE_DIRECTORY ${out})
  set(flags ${KX_WIDL_ARCH} -I${KX_WINE_IDL_INCLUDE} -I${idl_dir} -L${KX_STDOLE_DIR})
  add_custom_command(
    OUTPUT ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}.tlb
    COMMAND ${KX_WIDL} ${flags} -h -o ${out}/${name}.h ${idl_abs}
    COMMAND ${KX_WIDL} ${flags} -u -o ${out}/${name}_i.c ${idl_abs}
    COMMAND ${KX_WIDL} ${flags} -t -o ${out}/${name}.tlb ${idl_abs}
    DEPENDS ${idl_abs}
    COMMENT "widl ${name}.idl"
    VERBATIM)
  target_sources(${target} PRIVATE ${out}/${name}_i.c ${out}/${name}.h)
  target_include_directories(${target} PRIVATE ${out})
  # The resource compiler finds the .tlb through the same folder.
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:-I${out}>)
  set_source_files_properties(${out}/${name}_i.c PROPERTIES COMPILE_OPTIONS "-Wno-unused")
  if(I_RC)
    set_source_files_properties(${I_RC} PROPERTIES OBJECT_DEPENDS ${out}/${name}.tlb)
  endif()
  set(${name}_TLB ${out}/${name}.tlb PARENT_SCOPE)
endfunction()
