# What a user downloads, made by CPack from this build:
#   Windows: orlimbo-velmora-tasbrin-<version>-win32.zip
#            velmora.dll, tasbrin.dll, plughost.exe, README.txt, LICENSE.txt
#   Linux:   orlimbo-velmora-tasbrin-<version>-linux-x86_64.tar.gz
#            plughost, velmora.so, tasbrin.so, README.txt, LICENSE.txt,
#            plughost.1 (the manual page, for man ./plughost.1)
# README.txt is README.md's "Install and use" section; the texts get CRLF
# line ends in the ZIP, so that Notepad shows them.  scripts/package.sh
# builds the target release_files and runs cpack; scripts/release.sh does
# both packages.
#
# CPack 3.25 writes the entries of a package in the order the staging
# folder lists them, which is the file system's order.  Each shipped file is
# therefore a component of its own, and the components, packed all into one
# archive, go in the order of their names.  Entry times come from
# SOURCE_DATE_EPOCH (set for cpack by cmake/CPackProject.cmake), modes from
# the install rules; owners are those of the staged files, which
# scripts/package.sh makes root's.

# user_guide_text(OUTPUT NEWLINE): README.md's "Install and use" section,
# without its heading, with NEWLINE ("\r\n" or "\n") as line end.
function(user_guide_text output newline)
  file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
  set(heading "\n## Install and use\n")
  string(FIND "${readme}" "${heading}" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "README.md has no \"## Install and use\" section")
  endif()
  string(LENGTH "${heading}" skip)
  math(EXPR start "${start} + ${skip}")
  string(SUBSTRING "${readme}" ${start} -1 text)
  string(FIND "${text}" "\n## " end)
  if(NOT end EQUAL -1)
    string(SUBSTRING "${text}" 0 ${end} text)
  endif()
  string(STRIP "${text}" text)
  set(text "${text}\n")
  string(REPLACE "\n" "${newline}" text "${text}")
  file(WRITE ${output} "${text}")
endfunction()

function(text_file_with_newline input output newline)
  file(READ ${input} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "${newline}" text "${text}")
  file(WRITE ${output} "${text}")
endfunction()

if(WIN32)
  set(_newline "\r\n")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_system win64) # the 64-bit build's ZIP: made by its tests, never shipped
  else()
    set(_system win32)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(_extension .zip)
else()
  set(_newline "\n")
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" _system)
  set(CPACK_GENERATOR TGZ)
  set(_extension .tar.gz)
endif()

set(_texts ${CMAKE_BINARY_DIR}/package-texts)
user_guide_text(${_texts}/README.txt "${_newline}")
text_file_with_newline(${PROJECT_SOURCE_DIR}/LICENSE ${_texts}/LICENSE.txt "${_newline}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE)

# Everything that ships, built by one target.
add_custom_target(release_files)
add_dependencies(release_files plughost velmora tasbrin)

# One component per file; the names give the order in the archive.  On
# Windows a DLL's import library is no part of the package.  Shared
# libraries get mode 644 whatever the build machine's custom (they are
# loaded, not run).  The shipped programs are stripped when they are linked
# (presets release-*), not by CPack: binutils' strip writes a fresh time
# stamp into a PE file.
set(CMAKE_INSTALL_SO_NO_EXE ON)
install(TARGETS plughost RUNTIME DESTINATION . COMPONENT p1_plughost)
foreach(_plugin velmora:p2 tasbrin:p3)
  string(REPLACE ":" ";" _plugin ${_plugin})
  list(GET _plugin 0 _name)
  list(GET _plugin 1 _order)
  install(TARGETS ${_name}
    RUNTIME DESTINATION . COMPONENT ${_order}_${_name}
    LIBRARY DESTINATION . COMPONENT ${_order}_${_name}
    ARCHIVE DESTINATION lib COMPONENT import_libraries)
endforeach()
install(FILES ${_texts}/README.txt DESTINATION . COMPONENT p4_readme)
install(FILES ${_texts}/LICENSE.txt DESTINATION . COMPONENT p5_license)
set(_components p1_plughost p2_velmora p3_tasbrin p4_readme p5_license)
if(NOT WIN32)
  # Made from plughost --help-all by host/CMakeLists.txt; a Windows user has no man.
  add_dependencies(release_files plughost_man_page)
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/plughost.1 DESTINATION . COMPONENT p6_manual)
  list(APPEND _components p6_manual)
endif()

set(CPACK_PACKAGE_NAME orlimbo-velmora-tasbrin)
set(CPACK_PACKAGE_VENDOR "the velmora and tasbrin authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio decoder plug-ins for the Orlimbo player, and the plughost converter")
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${_system})
# The file cpack writes into the build folder.
set(PACKAGE_ARCHIVE_NAME ${CPACK_PACKAGE_FILE_NAME}${_extension})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL ${_components})
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_SOURCE_DATE_EPOCH "${PROJECT_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackProject.cmake)
include(CPack)
