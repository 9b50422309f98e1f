# SPDX-License-Identifier: MIT
# Installation and packages.
#
# Linux: bin/vexload, bin/vexload-sim and bin/vexload-ocd, the port-I/O library as
# lib/vexload/WinIo.dll (vexload looks for it beside itself, then in
# ../lib/vexload), manual pages in share/man/man1, and in share/doc/vexload
# the README and the list of bootloader images the build carries. CPack makes
# a Debian package of that tree, installed under /usr.
#
# Windows: vexload.exe, vexload-sim.exe, vexload-ocd.exe, the note on
# WinIo.dll and its driver, and the guides to OpenOCD and to Windows side by
# side at the top of a zip, as a technician unpacks it.

set(vexload_doc_dir share/doc/vexload)

# The images embedded in this build, by name, length and SHA-256, and whether
# they are the build's placeholders or came from VEXLOAD_IMAGE_DIR.
set(vexload_image_manifest ${PROJECT_BINARY_DIR}/images.txt)
set(vexload_image_names ${vexload_images})
list(TRANSFORM vexload_image_names REPLACE "=.*" "")
list(JOIN vexload_image_names "," vexload_image_names)
add_custom_command(
  OUTPUT ${vexload_image_manifest}
  COMMAND ${CMAKE_COMMAND}
    -D image_dir=${PROJECT_BINARY_DIR}/images
    -D images=${vexload_image_names}
    -D source_dir=${VEXLOAD_IMAGE_DIR}
    -D version=${PROJECT_VERSION}
    -D output=${vexload_image_manifest}
    -P ${CMAKE_CURRENT_LIST_DIR}/image_manifest.cmake
  DEPENDS vexload $<TARGET_FILE:vexload> ${CMAKE_CURRENT_LIST_DIR}/image_manifest.cmake
  COMMENT "Listing the embedded bootloader images"
  VERBATIM)
add_custom_target(vexload_image_manifest ALL DEPENDS ${vexload_image_manifest})

if(WIN32)
  install(TARGETS vexload vexload-sim vexload-ocd RUNTIME DESTINATION .)
  # With CRLF line ends, for every Windows text editor.
  foreach(note IN ITEMS packaging/windows/README-WinIo.txt docs/openocd.md docs/windows.md)
    get_filename_component(name ${note} NAME)
    configure_file(${PROJECT_SOURCE_DIR}/${note} ${PROJECT_BINARY_DIR}/packaging/${name} @ONLY NEWLINE_STYLE WIN32)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/${name} DESTINATION .)
  endforeach()
  install(FILES ${vexload_image_manifest} DESTINATION .)
else()
  # The programs of the package and the port-I/O library, in the order installed.
  set(vexload_packaged_programs vexload vexload-sim vexload-ocd)
  install(TARGETS ${vexload_packaged_programs} RUNTIME DESTINATION bin)
  # A MODULE library: installed as LIBRARY, under the name the tool loads.
  install(TARGETS vexload_winio LIBRARY DESTINATION lib/vexload)

  # No compiler identification in the installed binaries (.comment): it
  # carries nothing a user needs and differs from one compiler build to the next.
  find_program(VEXLOAD_OBJCOPY NAMES ${CMAKE_OBJCOPY} objcopy)
  if(VEXLOAD_OBJCOPY)
    set(installed_binaries "")
    foreach(program IN LISTS vexload_packaged_programs)
      list(APPEND installed_binaries "bin/$<TARGET_FILE_NAME:${program}>")
    endforeach()
    list(APPEND installed_binaries "lib/vexload/$<TARGET_FILE_NAME:vexload_winio>")
    install(CODE "foreach(file IN ITEMS ${installed_binaries})
  execute_process(COMMAND \"${VEXLOAD_OBJCOPY}\" --remove-section=.comment
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${file}\" COMMAND_ERROR_IS_FATAL ANY)
endforeach()")
  endif()

  # Manual pages and the changelog, compressed as Debian installs them where
  # gzip is at hand (-n: no name or time stamp, so that builds are repeatable).
  find_program(VEXLOAD_GZIP gzip)
  function(vexload_compressed source output_var)
    get_filename_component(name ${source} NAME)
    if(NOT VEXLOAD_GZIP)
      set(${output_var} ${source} PARENT_SCOPE)
      return()
    endif()
    set(compressed ${PROJECT_BINARY_DIR}/compressed/${name}.gz)
    add_custom_command(
      OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/compressed
      COMMAND ${VEXLOAD_GZIP} -9nc ${source} > ${compressed}
      DEPENDS ${source}
      COMMENT "Compressing ${name}")
    set(${output_var} ${compressed} PARENT_SCOPE)
  endfunction()

  set(vexload_man_files "")
  foreach(page IN ITEMS vexload.1 vexload-sim.1 vexload-ocd.1)
    vexload_compressed(${PROJECT_SOURCE_DIR}/man/${page} file)
    list(APPEND vexload_man_files ${file})
  endforeach()
  vexload_compressed(${PROJECT_SOURCE_DIR}/packaging/debian/changelog vexload_changelog)
  add_custom_target(vexload_man_pages ALL DEPENDS ${vexload_man_files} ${vexload_changelog})
  install(FILES ${vexload_man_files} DESTINATION share/man/man1)

  # The licence in the machine-readable copyright format, from LICENSE itself.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)\n" copyright_line "${licence}")
  set(vexload_copyright "${CMAKE_MATCH_1}")
  string(FIND "${licence}" "${copyright_line}" at)
  string(LENGTH "${copyright_line}" length)
  math(EXPR at "${at} + ${length}")
  string(SUBSTRING "${licence}" ${at} -1 licence)
  string(STRIP "${licence}" licence)
  string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REGEX REPLACE "\n" "\n " vexload_licence_text " ${licence}")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)

  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${vexload_image_manifest} ${PROJECT_BINARY_DIR}/copyright
    DESTINATION ${vexload_doc_dir})
  # The guides the README leads to, where its links find them.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${vexload_doc_dir}/docs
    FILES_MATCHING PATTERN "*.md" PATTERN "*.svg")
  install(FILES ${vexload_changelog} DESTINATION ${vexload_doc_dir} RENAME changelog.gz)

  # The port modules at boot (systemd-modules-load), for access through ppdev.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/modules-load.conf
    DESTINATION lib/modules-load.d RENAME vexload.conf)

  # The binaries whose library needs make the package's Depends (cpack time).
  set(packaged_files "")
  foreach(program IN LISTS vexload_packaged_programs)
    list(APPEND packaged_files "$<TARGET_FILE:${program}>")
  endforeach()
  list(APPEND packaged_files "$<TARGET_FILE:vexload_winio>")
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/packaged-binaries.txt CONTENT "$<JOIN:${packaged_files},\n>\n")
endif()

# Which images the package holds, in its file name and its description: a
# build without VEXLOAD_IMAGE_DIR programs only the virtual box.
if(VEXLOAD_IMAGE_DIR)
  set(vexload_image_kind real-images)
  set(vexload_image_note "This build carries the real bootloader images.")
else()
  set(vexload_image_kind placeholder-images)
  set(vexload_image_note "This build carries placeholder images: vexload identifies a box's flash
and stops before the erase; build with -DVEXLOAD_IMAGE_DIR for the real ones.")
endif()

set(CPACK_PACKAGE_NAME vexload)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "vexload maintainers")
set(CPACK_PACKAGE_CONTACT "vexload maintainers <support@vexload.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Bootloader downloader for PowerPC boxes over a parallel-port JTAG cable")
set(CPACK_PACKAGE_DESCRIPTION
  "vexload writes the bootloader into the boot flash of an embedded PowerPC box
through the core's JTAG debug port, with the JTAG cable bit-banged on the PC's
parallel port (0x378/0x379). vexload-sim runs the same tool against a virtual
box (cable, TAP, halted core, bus and NOR flash) for dry runs and training.
vexload-ocd runs it through OpenOCD, so that any JTAG adapter OpenOCD drives
reaches the box.
${vexload_image_note}")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vexload-${PROJECT_VERSION}-win32-${vexload_image_kind})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  find_program(VEXLOAD_DPKG dpkg)
  find_program(VEXLOAD_DPKG_ARCHITECTURE dpkg-architecture)
  if(CMAKE_CROSSCOMPILING AND VEXLOAD_DPKG_ARCHITECTURE)
    # A package for the machine the cross compiler builds for (arm64), by
    # Debian's name of its GNU type (aarch64-linux-gnu).
    execute_process(COMMAND ${VEXLOAD_DPKG_ARCHITECTURE} -t ${CMAKE_LIBRARY_ARCHITECTURE} -q DEB_HOST_ARCH
      OUTPUT_VARIABLE vexload_deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
  elseif(VEXLOAD_DPKG AND NOT CMAKE_CROSSCOMPILING)
    execute_process(COMMAND ${VEXLOAD_DPKG} --print-architecture
      OUTPUT_VARIABLE vexload_deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE)
  else()
    set(vexload_deb_arch ${CMAKE_SYSTEM_PROCESSOR})
  endif()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${vexload_deb_arch})
  set(CPACK_VEXLOAD_HOST_ARCH ${vexload_deb_arch})
  # The libraries the cross compiler links against, for a package's Depends
  # where that architecture's own are not installed (package_depends.cmake).
  if(CMAKE_CROSSCOMPILING)
    set(CPACK_VEXLOAD_CROSS_LIBRARY_DIRS ${CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES})
  endif()
  set(CPACK_DEBIAN_FILE_NAME vexload_${PROJECT_VERSION}_${vexload_deb_arch}-${vexload_image_kind}.deb)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "vexload maintainers <support@vexload.invalid>")
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Dependencies from the binaries themselves, by dpkg-shlibdeps where it is
  # at hand, worked out at cpack time by package_depends.cmake rather than by
  # cpack's own SHLIBDEPS: that one also adds ldconfig calls for the private
  # module in lib/vexload, which no other program links against.
  find_program(VEXLOAD_DPKG_SHLIBDEPS dpkg-shlibdeps)
  set(CPACK_VEXLOAD_DPKG_SHLIBDEPS "${VEXLOAD_DPKG_SHLIBDEPS}")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
  set(CPACK_VEXLOAD_PACKAGED_BINARIES ${PROJECT_BINARY_DIR}/packaged-binaries.txt)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_depends.cmake)
endif()

include(CPack)
