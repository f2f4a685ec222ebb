# Every build carries debug information, so that a crash report names the file and line of the program's own
# frames: -g adds sections and changes no code (the optimisation level stays the build type's), and every
# binary gets a build ID, by which its debug information is found once split off.
add_compile_options(-g)
add_link_options(LINKER:--build-id=sha1)

# The build tree's binaries keep their debug information; an install splits it off the Debian way: the
# installed binary stripped, with a debug link, and its debug information in
# <prefix>/lib/debug/.build-id/<first two hex digits of the build ID>/<the rest>.debug (/usr/lib/debug under
# /usr, where Debian's -dbgsym packages put theirs). These rules belong to the component DebugSplit: `make
# package` leaves them out, since CPack splits the same way into the -dbgsym package
# (CPACK_DEBIAN_DEBUGINFO_PACKAGE).
function(clicktrove_install_split_debug target)
  install(CODE "
    if(IS_ABSOLUTE \"${CMAKE_INSTALL_BINDIR}\")
      set(_binary \"\$ENV{DESTDIR}${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>\")
    else()
      set(_binary \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>\")
    endif()
    execute_process(COMMAND \"${CMAKE_READELF}\" -n \"$<TARGET_FILE:${target}>\" OUTPUT_VARIABLE _notes
                    RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0 OR NOT _notes MATCHES \"Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)\")
      message(FATAL_ERROR \"$<TARGET_FILE:${target}> has no build ID to file its debug information under\")
    endif()
    set(_debug \"\${CMAKE_INSTALL_PREFIX}/lib/debug/.build-id/\${CMAKE_MATCH_1}/\${CMAKE_MATCH_2}.debug\")
    message(STATUS \"Installing: \$ENV{DESTDIR}\${_debug}\")
    get_filename_component(_folder \"\$ENV{DESTDIR}\${_debug}\" DIRECTORY)
    file(MAKE_DIRECTORY \"\${_folder}\")
    # Written straight to its place, never through the build tree, so that installs of one build into two
    # places at once do not write one file. Uncompressed, as in the -dbgsym package: compressed to 40 % of its
    # size, it takes the symboliser three times as long.
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --only-keep-debug \"$<TARGET_FILE:${target}>\"
                            \"\$ENV{DESTDIR}\${_debug}\" COMMAND_ERROR_IS_FATAL ANY)
    file(CHMOD \"\$ENV{DESTDIR}\${_debug}\" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_debug}\")
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --strip-unneeded --remove-section=.gnu_debuglink \"\${_binary}\"
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" \"--add-gnu-debuglink=\$ENV{DESTDIR}\${_debug}\" \"\${_binary}\"
                    COMMAND_ERROR_IS_FATAL ANY)
  " COMPONENT DebugSplit)
endfunction()
