# Compile settings shared by everything that goes into a plug-in.
#
# On Windows the plug-ins are DLLs without any C or C++ run-time library:
# no exceptions, no RTTI, no stack probes, no static constructors, and the
# entry point only returns TRUE.  Natively the same sources build as static
# libraries (for tests and fuzzing) with the Win32 stand-in.
add_library(plugin_flags INTERFACE)
target_include_directories(plugin_flags INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(plugin_flags INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-threadsafe-statics>
  -Wall -Wextra -Wno-unused-parameter)
if(WIN32)
  target_compile_options(plugin_flags INTERFACE
    -O2 -fno-stack-protector -mno-stack-arg-probe -fno-asynchronous-unwind-tables
    -fno-ident -ffunction-sections -fdata-sections)
endif()

# The Win32 functions the native stand-in (common/native/win32_standin.cpp)
# provides.  Natively a plug-in carries its own copy of the stand-in, but
# these names stay visible: a host that exports them itself (plughost) is
# found first, so host and plug-ins share one "system" -- one last-error
# code, one allocator count -- as they share KERNEL32 and USER32 on Windows.
set(WIN32_STANDIN_EXPORTS
  GlobalAlloc GlobalFree SetLastError GetLastError MulDiv lstrcmpA lstrcmpiA
  lstrcpyA wsprintfA DisableThreadLibraryCalls GetTickCount
  DialogBoxParamA CreateDialogParamA EndDialog DestroyWindow SetDlgItemTextA
  SendDlgItemMessageA SendMessageA CheckDlgButton IsDlgButtonChecked GetWindow
  GetWindowRect SetWindowPos SystemParametersInfoA SetWindowTextA GetFocus
  SetFocus UpdateWindow RedrawWindow PeekMessageA MessageBoxA
  GetPrivateProfileStringA WritePrivateProfileStringA)

if(NOT WIN32)
  # Version script of a native plug-in: the descriptor export and the
  # stand-in's system functions; everything else stays inside the library.
  list(JOIN WIN32_STANDIN_EXPORTS ";\n    " _standin_names)
  file(WRITE ${CMAKE_BINARY_DIR}/native_plugin.map
    "{\n  global:\n    GetAudioFilePlugin;\n    ${_standin_names};\n  local:\n    *;\n};\n")
  # Dynamic list of a native host: the stand-in functions it offers to the
  # plug-ins it loads.
  file(WRITE ${CMAKE_BINARY_DIR}/win32_standin.dynlist "{\n    ${_standin_names};\n};\n")
  # A shared library needs a source of its own; all the code is in archives.
  file(WRITE ${CMAKE_BINARY_DIR}/native_plugin.cpp "// code comes from the core archives\n")
endif()

# native_host_exports(TARGET)
#   Natively: TARGET (an executable that links the stand-in) exports the
#   stand-in's functions, so the plug-ins it loads use its instance.
function(native_host_exports target)
  if(NOT WIN32)
    target_link_options(${target} PRIVATE
      -Wl,--dynamic-list=${CMAKE_BINARY_DIR}/win32_standin.dynlist)
    target_link_libraries(${target} PRIVATE -Wl,--whole-archive win32_standin -Wl,--no-whole-archive)
  endif()
endfunction()

# add_audio_plugin(NAME CORE_LIB RC_FILE DEF_FILE)
#   Windows: NAME.dll from the core library plus the resource script and the
#   module definition, importing only KERNEL32 and USER32.
#   Natively: NAME.so from the same core library with the Win32 stand-in
#   linked in, exporting the descriptor as GetAudioFilePlugin (the name the
#   Windows export carries before stdcall decoration).  It has no resources:
#   dialogs cannot be created there anyway.
function(add_audio_plugin name core rc def)
  if(NOT WIN32)
    # Code that ends up in a shared library must be position-independent.
    set_property(TARGET ${core} plugin_common win32_standin PROPERTY POSITION_INDEPENDENT_CODE ON)
    add_library(${name} SHARED ${CMAKE_BINARY_DIR}/native_plugin.cpp)
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME ${name}
      LINKER_LANGUAGE CXX LINK_DEPENDS ${CMAKE_BINARY_DIR}/native_plugin.map)
    target_link_libraries(${name} PRIVATE
      -Wl,--whole-archive ${core} -Wl,--no-whole-archive
      plugin_common win32_standin)
    target_link_options(${name} PRIVATE
      -Wl,--version-script=${CMAKE_BINARY_DIR}/native_plugin.map)
    return()
  endif()
  add_library(${name} SHARED ${rc} ${def})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    LINKER_LANGUAGE CXX)
  target_link_libraries(${name} PRIVATE
    -Wl,--whole-archive ${core} -Wl,--no-whole-archive
    plugin_runtime)
  target_link_options(${name} PRIVATE
    -nostdlib -nostartfiles -nodefaultlibs -static-libgcc
    -Wl,--entry,_DllEntry@12 -Wl,--gc-sections -Wl,--no-insert-timestamp
    -Wl,--enable-stdcall-fixup -s)
  target_link_libraries(${name} PRIVATE -lkernel32 -luser32)
endfunction()
