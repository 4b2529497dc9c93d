# launcher.exe: a 32-bit GUI program without a console, linked statically,
# importing only DLLs that Windows keeps in its KnownDLLs list.
enable_language(RC)

set(LAUNCHER_EXECUTION_LEVEL "asInvoker" CACHE STRING
    "Execution level in the manifest: asInvoker, highestAvailable or requireAdministrator")
set_property(CACHE LAUNCHER_EXECUTION_LEVEL PROPERTY STRINGS asInvoker highestAvailable requireAdministrator)
if(NOT LAUNCHER_EXECUTION_LEVEL MATCHES "^(asInvoker|highestAvailable|requireAdministrator)$")
    message(FATAL_ERROR "LAUNCHER_EXECUTION_LEVEL must be asInvoker, highestAvailable or requireAdministrator")
endif()

set(LAUNCHER_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(LAUNCHER_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/launcher.manifest")
set(LAUNCHER_ICON "${PROJECT_SOURCE_DIR}/res/launcher.ico")
set(LAUNCHER_MESSAGES "${PROJECT_SOURCE_DIR}/res/messages.inc")
configure_file(res/launcher.manifest "${LAUNCHER_MANIFEST}" @ONLY)
configure_file(res/launcher.rc.in "${CMAKE_CURRENT_BINARY_DIR}/launcher.rc" @ONLY)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# Small and free of DLL dependencies: the C++ and GCC runtimes are static,
# and the C runtime is the system's msvcrt.dll.
set(LAUNCHER_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,--dynamicbase -Wl,--nxcompat
    -Wl,--no-insert-timestamp -Wl,--gc-sections -s)

# The launcher runs in one thread and catches no exception: it is built
# without exceptions, RTTI, unwind tables and thread-safe statics, against a
# copy of the portable library built the same way (launcher_core itself
# stays as it is for the other programs that link it). win32_runtime.cpp
# supplies the allocation and error-reporting functions, so that the C++
# runtime's exception machinery, demangler and printf stay out of the file.
set(LAUNCHER_SIZE_FLAGS -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-asynchronous-unwind-tables
    -fno-unwind-tables -ffunction-sections -fdata-sections)
get_target_property(LAUNCHER_CORE_SOURCES launcher_core SOURCES)
add_library(launcher_core_small STATIC ${LAUNCHER_CORE_SOURCES})
target_include_directories(launcher_core_small PUBLIC src PRIVATE ${PROJECT_SOURCE_DIR}/res)
target_compile_options(launcher_core_small PRIVATE ${LAUNCHER_SIZE_FLAGS})
launcher_warnings(launcher_core_small)

add_executable(launcher WIN32
    src/launcher/main.cpp
    src/platform/win32_platform.cpp
    src/platform/win32_runtime.cpp
    "${CMAKE_CURRENT_BINARY_DIR}/launcher.rc")
set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/launcher.rc" PROPERTIES
    OBJECT_DEPENDS "${LAUNCHER_MANIFEST};${LAUNCHER_ICON};${LAUNCHER_MESSAGES}")
target_compile_options(launcher PRIVATE ${LAUNCHER_SIZE_FLAGS})
target_link_libraries(launcher PRIVATE launcher_core_small shell32 shlwapi advapi32 user32 kernel32)
target_link_options(launcher PRIVATE ${LAUNCHER_LINK_OPTIONS} -municode)
launcher_warnings(launcher)

# The release archive: cmake --build --preset win32 --target release
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_custom_target(release
    COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBINARY_DIR=${CMAKE_BINARY_DIR}
            -DVERSION=${PROJECT_VERSION} -DPYTHON=${Python3_EXECUTABLE} -P ${PROJECT_SOURCE_DIR}/cmake/release.cmake
    DEPENDS launcher launcher-check run_and_wait
    VERBATIM)
add_subdirectory(tests/pe)
