# What `cmake --install` puts in place on Linux: the two programs, the udev rule that lets a logged-in user
# open the processor, and man pages written by help2man from each program's own --help and --version, so
# that the pages can never drift from the programs.
if(WIN32)
    return()
endif()
include(GNUInstallDirs)
install(TARGETS velactl velasim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/res/linux/70-vela.rules DESTINATION lib/udev/rules.d)

find_program(VELA_HELP2MAN help2man)
if(NOT VELA_HELP2MAN)
    message(WARNING "help2man not found: no man pages (tools/install-deps.sh installs it)")
    return()
endif()
set(vela_man_pages "")
foreach(program velactl velasim)
    if(program STREQUAL "velactl")
        set(summary "control an audio processor over USB or TCP")
    else()
        set(summary "a virtual audio processor served over TCP")
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${VELA_HELP2MAN} --no-info --section=1 --name=${summary} --output=${page} $<TARGET_FILE:${program}>
        DEPENDS ${program}
        COMMENT "Writing the man page of ${program}"
        VERBATIM)
    list(APPEND vela_man_pages ${page})
endforeach()
add_custom_target(vela_man_pages ALL DEPENDS ${vela_man_pages})
install(FILES ${vela_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
