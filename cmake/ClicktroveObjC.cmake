# The Objective-C bridge's toolchain: Objective-C++ on the GNU Objective-C runtime with GNUstep Base, as Debian
# ships them (gobjc++ or clang, libgnustep-base-dev). Defines the interface target clicktrove_gnustep_base.
#
# Debian's GNUstep Base is built with GCC for the GNU runtime, so: no ARC (manual retain and release), and string
# literals are instances of NSConstantString. clang needs -fobjc-runtime=gcc and GCC's own runtime headers, which
# it does not look for by itself; they go after clang's own headers (-idirafter), so that clang's built-in headers
# still win.
enable_language(OBJCXX)
set(CMAKE_OBJCXX_STANDARD 20)
set(CMAKE_OBJCXX_STANDARD_REQUIRED ON)
set(CMAKE_OBJCXX_EXTENSIONS OFF)

find_path(CLICKTROVE_GNUSTEP_INCLUDE_DIR Foundation/Foundation.h PATH_SUFFIXES GNUstep)
find_library(CLICKTROVE_GNUSTEP_BASE_LIBRARY gnustep-base)
# The runtime's development library lives in GCC's own library folder.
execute_process(COMMAND ${CMAKE_OBJCXX_COMPILER} -print-file-name=libobjc.so
                OUTPUT_VARIABLE _objc_library OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(_objc_library_dir "${_objc_library}" DIRECTORY)
find_library(CLICKTROVE_OBJC_LIBRARY NAMES objc HINTS ${_objc_library_dir})
if(NOT CLICKTROVE_GNUSTEP_INCLUDE_DIR OR NOT CLICKTROVE_GNUSTEP_BASE_LIBRARY OR NOT CLICKTROVE_OBJC_LIBRARY)
  message(FATAL_ERROR "The Objective-C bridge needs GNUstep Base and the GNU Objective-C runtime (Debian: "
                      "gobjc++ libgnustep-base-dev, which scripts/install-deps installs); "
                      "-DCLICKTROVE_OBJC_BRIDGE=OFF builds without the bridge.")
endif()

add_library(clicktrove_gnustep_base INTERFACE)
target_include_directories(clicktrove_gnustep_base SYSTEM INTERFACE ${CLICKTROVE_GNUSTEP_INCLUDE_DIR})
target_compile_definitions(clicktrove_gnustep_base INTERFACE GNUSTEP GNUSTEP_BASE_LIBRARY=1 GNU_RUNTIME=1
                                                             _NATIVE_OBJC_EXCEPTIONS)
target_compile_options(clicktrove_gnustep_base INTERFACE
  $<$<COMPILE_LANGUAGE:OBJCXX>:-fconstant-string-class=NSConstantString -fobjc-exceptions -fexceptions>)
if(CMAKE_OBJCXX_COMPILER_ID MATCHES "Clang")
  execute_process(COMMAND gcc -print-file-name=include OUTPUT_VARIABLE _gcc_include OUTPUT_STRIP_TRAILING_WHITESPACE)
  find_path(CLICKTROVE_OBJC_RUNTIME_INCLUDE_DIR objc/runtime.h HINTS ${_gcc_include} NO_DEFAULT_PATH)
  if(NOT CLICKTROVE_OBJC_RUNTIME_INCLUDE_DIR)
    message(FATAL_ERROR "clang finds no GNU Objective-C runtime headers (objc/runtime.h of GCC): install gobjc++ "
                        "or configure with -DCLICKTROVE_OBJC_BRIDGE=OFF.")
  endif()
  target_compile_options(clicktrove_gnustep_base INTERFACE
    $<$<COMPILE_LANGUAGE:OBJCXX>:-fobjc-runtime=gcc -idirafter ${CLICKTROVE_OBJC_RUNTIME_INCLUDE_DIR}>)
endif()
target_link_libraries(clicktrove_gnustep_base INTERFACE ${CLICKTROVE_GNUSTEP_BASE_LIBRARY} ${CLICKTROVE_OBJC_LIBRARY})
