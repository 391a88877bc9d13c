# Sources are picked by name: *_win32.cpp only on Windows, *_linux.cpp only on Linux, *_main.cpp are
# program entry points and never go into a library.
function(vela_collect_sources out)
    set(picked "")
    foreach(dir IN LISTS ARGN)
        file(GLOB_RECURSE files CONFIGURE_DEPENDS ${dir}/*.cpp)
        foreach(f IN LISTS files)
            get_filename_component(name ${f} NAME_WE)
            if(name MATCHES "_main$")
                continue()
            elseif(name MATCHES "_win32(_test)?$" AND NOT WIN32)
                continue()
            elseif(name MATCHES "_linux(_test)?$" AND NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
                continue()
            endif()
            list(APPEND picked ${f})
        endforeach()
    endforeach()
    set(${out} ${picked} PARENT_SCOPE)
endfunction()

# The standard headers most files include: parsing them dominates a build (about a third of a library file's
# compile time, more under the cross compiler), so each target parses them once.
set(VELA_PCH_STD
    <algorithm> <array> <atomic> <chrono> <cmath> <condition_variable> <cstddef> <cstdint> <cstdio> <cstring>
    <filesystem> <fstream> <functional> <map> <memory> <mutex> <optional> <span> <sstream> <string> <string_view>
    <thread> <utility> <vector>)
# The Windows headers cost a GUI file more than a second each under MinGW.
set(VELA_PCH_WIN32 <windows.h> <commctrl.h>)

# Precompiled headers for a target, unless VELA_PCH is off (e.g. to check each file includes what it uses).
function(vela_precompile target)
    if(VELA_PCH)
        target_precompile_headers(${target} PRIVATE ${ARGN})
    endif()
endfunction()

# One static library per top-level folder of src/, linked to the layers below it.
function(vela_layer_library name dir)
    vela_collect_sources(sources ${CMAKE_SOURCE_DIR}/src/${dir})
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE ${VELA_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARGN})
    vela_precompile(${name} ${VELA_PCH_STD})
endfunction()
