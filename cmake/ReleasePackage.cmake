# The zip a technician unpacks on Windows: both programs, the driver package and an empty skin folder. The guide is
# added by scripts/release-guide once the end-to-end run has taken its screenshots.
set(package_dir ${CMAKE_BINARY_DIR}/package/Quorvel-${PROJECT_VERSION})
set(package_zip ${CMAKE_BINARY_DIR}/Quorvel-${PROJECT_VERSION}-win64.zip)
add_custom_command(
  OUTPUT ${package_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/package
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}/skin
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Quorvel> $<TARGET_FILE:Omblet> ${package_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${REPO_ROOT}/shipped/QRX ${package_dir}/QRX
  COMMAND ${CMAKE_COMMAND} -E rm -f ${package_zip}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/package
          ${CMAKE_COMMAND} -E tar cf ${package_zip} --format=zip Quorvel-${PROJECT_VERSION}
  DEPENDS Quorvel Omblet ${REPO_ROOT}/shipped/QRX/QRX.inf
  COMMENT "Packing ${package_zip}"
  VERBATIM)
add_custom_target(release ALL DEPENDS ${package_zip})
