# The release. Each MinGW build stages its architecture's programs beside their own driver package (with the catalog
# made here from shipped/QRX) and an empty skin folder: stage/x64 or stage/x86. The x64 build packs the zip a
# technician unpacks: x64/ and x86/ (the latter from RELEASE_X86_BUILD_DIR, when given). The guide goes in as
# guide/ once the end-to-end run has taken its screenshots (scripts/release-guide).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(release_arch x64)
else()
  set(release_arch x86)
endif()
set(stage_dir ${CMAKE_BINARY_DIR}/stage/${release_arch})

# Debian's python3 first: it has asn1crypto, which an interpreter earlier on PATH may lack.
find_program(CATALOG_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(CATALOG_PYTHON NAMES python3 python)
file(GLOB package_files CONFIGURE_DEPENDS ${REPO_ROOT}/shipped/QRX/*)
list(FILTER package_files EXCLUDE REGEX "\\.cat$")
set(staged_files)
foreach(file ${package_files})
  get_filename_component(name ${file} NAME)
  list(APPEND staged_files ${stage_dir}/QRX/${name})
endforeach()

add_custom_command(
  OUTPUT ${stage_dir}/QRX/QRX.cat ${stage_dir}/Quorvel.exe ${stage_dir}/Omblet.exe ${stage_dir}/quorvelctl.exe
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage_dir}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage_dir}/skin ${stage_dir}/QRX
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Quorvel> $<TARGET_FILE:Omblet> $<TARGET_FILE:quorvelctl> ${stage_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${package_files} ${stage_dir}/QRX
  COMMAND ${CATALOG_PYTHON} ${REPO_ROOT}/tools/qrx_cat/make_cat.py ${stage_dir}/QRX/QRX.cat ${staged_files}
  DEPENDS Quorvel Omblet quorvelctl ${package_files} ${REPO_ROOT}/tools/qrx_cat/make_cat.py
  COMMENT "Staging the ${release_arch} programs and their driver package in ${stage_dir}"
  VERBATIM)
add_custom_target(release_stage ALL DEPENDS ${stage_dir}/QRX/QRX.cat)
# The installer package's helper is staged with the release, so the x86 build (which builds only release_stage)
# has it for the x86 package.
add_dependencies(release_stage QRXStore QRXStoreAction)

if(release_arch STREQUAL "x64")
  set(RELEASE_X86_BUILD_DIR "" CACHE PATH "MinGW x86 build whose staged programs the release zip also holds")
  set(package_dir ${CMAKE_BINARY_DIR}/package/Quorvel-${PROJECT_VERSION})
  set(package_zip ${CMAKE_BINARY_DIR}/Quorvel-${PROJECT_VERSION}-windows.zip)
  set(copy_x86)
  set(x86_stage)
  if(RELEASE_X86_BUILD_DIR)
    set(x86_stage ${RELEASE_X86_BUILD_DIR}/stage/x86)
    set(copy_x86 COMMAND ${CMAKE_COMMAND} -E copy_directory ${x86_stage} ${package_dir}/x86)
    set(x86_stage ${x86_stage}/QRX/QRX.cat ${x86_stage}/Quorvel.exe ${x86_stage}/Omblet.exe ${x86_stage}/quorvelctl.exe)
  endif()
  add_custom_command(
    OUTPUT ${package_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/package
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${stage_dir} ${package_dir}/x64
    ${copy_x86}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${package_zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/package
            ${CMAKE_COMMAND} -E tar cf ${package_zip} --format=zip Quorvel-${PROJECT_VERSION}
    DEPENDS ${stage_dir}/QRX/QRX.cat ${x86_stage}
    COMMENT "Packing ${package_zip}"
    VERBATIM)
  add_custom_target(release ALL DEPENDS ${package_zip})
endif()

# The Windows Installer packages, one per architecture, built by the x64 build beside the zip: wixl (msitools)
# from setup/Quorvel.wxs through setup/build_msi.py. Each package's inputs are written to msi/<arch>.json, from
# which scripts/release-guide builds it again with the guide, as it puts the guide into the zip.
option(INSTALLER_PACKAGES "Build the Windows Installer packages (the demo's build does without them)" ON)
if(release_arch STREQUAL "x64" AND NOT INSTALLER_PACKAGES)
  set(msi_tools_found FALSE)
elseif(release_arch STREQUAL "x64")
  find_program(WIXL_PROGRAM wixl)
  find_program(MSIBUILD_PROGRAM msibuild)
  set(msi_tools_found TRUE)
  if(NOT WIXL_PROGRAM OR NOT MSIBUILD_PROGRAM)
    set(msi_tools_found FALSE)
    # The release is made by the cross build, which must make the packages; a build on Windows itself has no wixl.
    if(CMAKE_CROSSCOMPILING)
      message(FATAL_ERROR "wixl and msibuild (Debian packages wixl and msitools) build the installer packages: "
                          "run scripts/install-deps")
    endif()
    message(WARNING "wixl and msibuild not found: this build makes no installer packages")
  endif()
endif()
if(release_arch STREQUAL "x64" AND msi_tools_found)
  set(msi_outputs)
  set(msi_architectures x64)
  if(RELEASE_X86_BUILD_DIR)
    list(APPEND msi_architectures x86)
  endif()
  foreach(arch ${msi_architectures})
    set(msi_file ${CMAKE_BINARY_DIR}/Quorvel-${PROJECT_VERSION}-${arch}.msi)
    set(msi_inputs ${CMAKE_BINARY_DIR}/msi/${arch}.json)
    if(arch STREQUAL "x64")
      set(msi_stage ${stage_dir})
      set(msi_helper $<TARGET_FILE:QRXStore>)
      set(msi_action $<TARGET_FILE:QRXStoreAction>)
      set(msi_depends release_stage QRXStore QRXStoreAction ${stage_dir}/QRX/QRX.cat)
    else()
      set(msi_stage ${RELEASE_X86_BUILD_DIR}/stage/x86)
      set(msi_helper ${RELEASE_X86_BUILD_DIR}/setup/QRXStore.exe)
      set(msi_action ${RELEASE_X86_BUILD_DIR}/setup/QRXStoreAction.dll)
      set(msi_depends ${x86_stage} ${msi_helper} ${msi_action})
    endif()
    file(GENERATE OUTPUT ${msi_inputs} CONTENT "{
  \"arch\": \"${arch}\",
  \"stage\": \"${msi_stage}\",
  \"helper\": \"${msi_helper}\",
  \"action\": \"${msi_action}\",
  \"version\": \"${PROJECT_VERSION}\",
  \"out\": \"${msi_file}\"
}
")
    add_custom_command(
      OUTPUT ${msi_file}
      COMMAND ${CATALOG_PYTHON} ${REPO_ROOT}/setup/build_msi.py --inputs ${msi_inputs}
      DEPENDS ${msi_depends} ${msi_inputs} ${REPO_ROOT}/setup/Quorvel.wxs ${REPO_ROOT}/setup/build_msi.py
      COMMENT "Building the ${arch} installer package ${msi_file}"
      VERBATIM)
    list(APPEND msi_outputs ${msi_file})
  endforeach()
  add_custom_target(msi ALL DEPENDS ${msi_outputs})
endif()
