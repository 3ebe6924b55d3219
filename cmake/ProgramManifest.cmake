# A program's manifest names the architecture it is built for: Windows' side-by-side loader may refuse to start a
# 32-bit program whose manifest says amd64. The template in the source folder holds @MANIFEST_ARCHITECTURE@; the
# resource script includes the filled-in copy, <name>.built.manifest, from the build folder.
function(add_program_manifest target template)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(MANIFEST_ARCHITECTURE x86)
  else()
    set(MANIFEST_ARCHITECTURE amd64)
  endif()
  get_filename_component(name ${template} NAME_WE)
  configure_file(${template} ${CMAKE_CURRENT_BINARY_DIR}/${name}.built.manifest @ONLY)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
