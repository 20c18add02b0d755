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

# add_audio_plugin(NAME CORE_LIB RC_FILE DEF_FILE)
#   Windows: NAME.dll from the core library plus the resource script and the
#   module definition, importing only KERNEL32 and USER32.
function(add_audio_plugin name core rc def)
  if(NOT WIN32)
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
