# The programs' icons and version information. Each icon is drawn as SVG in the repository and rendered at build
# time (rsvg-convert from librsvg2-bin, icotool from icoutils) into one .ico with the sizes Windows asks for, from
# the small icons of a title bar to Explorer's large tiles (256, stored as PNG). The version comes from the
# project's version, through the generated product_version.h.
set(PRODUCT_COPYRIGHT_YEAR 2026)
configure_file(${CMAKE_CURRENT_LIST_DIR}/product_version.h.in ${PROJECT_BINARY_DIR}/generated/product_version.h @ONLY)

find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
set(PROGRAM_ICON_SIZES 16 20 24 32 40 48 256)

# program_resources(<svg> <rc file> <targets...>): renders <svg> into program.ico beside the targets' build
# folder, where <rc file> finds it, and gives the targets the generated version header.
function(program_resources svg rc_file)
  get_filename_component(stem ${svg} NAME_WE)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/icon_${stem})
  set(commands)
  set(images)
  foreach(size ${PROGRAM_ICON_SIZES})
    set(png ${dir}/${stem}-${size}.png)
    list(APPEND commands COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg})
    if(size GREATER_EQUAL 256)
      list(APPEND images -r ${png})
    else()
      list(APPEND images ${png})
    endif()
  endforeach()
  add_custom_command(OUTPUT ${dir}/program.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    ${commands}
    COMMAND ${ICOTOOL} -c -o ${dir}/program.ico ${images}
    DEPENDS ${svg}
    VERBATIM)
  add_custom_target(${stem}_icon DEPENDS ${dir}/program.ico)
  set_source_files_properties(${rc_file} TARGET_DIRECTORY ${ARGN} PROPERTIES OBJECT_DEPENDS ${dir}/program.ico)
  foreach(target ${ARGN})
    add_dependencies(${target} ${stem}_icon)
    target_include_directories(${target} PRIVATE ${dir} ${PROJECT_BINARY_DIR}/generated)
  endforeach()
endfunction()
