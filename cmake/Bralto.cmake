# Shared build settings and helper functions of Bralto.

set(BRALTO_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(BRALTO_ROOT ${BRALTO_ROOT} ABSOLUTE)

if(WIN32)
    # Every deliverable runs with nothing beside it but the system DLLs.
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
    set(CMAKE_SHARED_LINKER_FLAGS "${CMAKE_SHARED_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
    # The Wine harness runs test programs (and gtest discovery) in the project prefix.
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BRALTO_ROOT}/scripts/wine.sh)
    # mingw's static zlib.
    add_library(ZLIB::ZLIB STATIC IMPORTED GLOBAL)
    set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION /usr/${BRALTO_MINGW_TRIPLE}/lib/libz.a)
else()
    find_package(ZLIB REQUIRED)
endif()

if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "" FORCE)
endif()

# Warnings are errors on every build of every target of ours.
function(bralto_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter -Wno-missing-field-initializers)
endfunction()

macro(bralto_setup_googletest)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(GoogleTest)
endmacro()

# bralto_gtest(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [PROPERTIES ...] [GUI])
# Builds a GoogleTest program and registers each of its tests with ctest.
# Windows test programs run through the Wine harness; GUI marks those that
# make windows (they stay console programs; the harness provides the X display).
function(bralto_gtest name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gmock gtest_main)
    bralto_warnings(${name})
    # Listing the tests at ctest time keeps Wine out of the build itself.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        DISCOVERY_TIMEOUT 120
        PROPERTIES TIMEOUT 300)
    bralto_discovered_test_properties(${name} ${ARG_PROPERTIES})
endfunction()

# gtest_discover_tests flattens its PROPERTIES into one list, so a value
# that is itself a list ("bralto_window;qnrzip_server") loses its second
# item, which then reads as a property name. Rebuild the pairs here (a
# token in upper case is a property name, the tokens after it its value)
# and set them from a ctest include read after the discovered tests.
function(bralto_discovered_test_properties name)
    set(text "")
    set(key "")
    set(values "")
    foreach(token IN LISTS ARGN)
        if(token MATCHES "^[A-Z][A-Z_]+$")
            if(key)
                string(APPEND text " ${key} \"${values}\"")
            endif()
            set(key ${token})
            set(values "")
        else()
            if(values STREQUAL "")
                set(values "${token}")
            else()
                string(APPEND values ";${token}")
            endif()
        endif()
    endforeach()
    if(key)
        string(APPEND text " ${key} \"${values}\"")
    endif()
    if(text STREQUAL "")
        return()
    endif()
    set(file "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
    file(WRITE "${file}" "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES${text})\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

# bralto_version_resource(target DESCRIPTION "..." [DLL])
# Gives a deliverable the version information of the project's version
# (project() in the top CMakeLists.txt), in a resource script of its own.
function(bralto_version_resource target)
    cmake_parse_arguments(ARG "DLL" "DESCRIPTION" "" ${ARGN})
    get_target_property(output_name ${target} OUTPUT_NAME)
    if(NOT output_name)
        set(output_name ${target})
    endif()
    set(BRALTO_VERSION_INTERNAL ${output_name})
    set(BRALTO_VERSION_DESCRIPTION "${ARG_DESCRIPTION}")
    if(ARG_DLL)
        set(BRALTO_VERSION_FILE ${output_name}.dll)
        set(BRALTO_VERSION_TYPE VFT_DLL)
    else()
        set(BRALTO_VERSION_FILE ${output_name}.exe)
        set(BRALTO_VERSION_TYPE VFT_APP)
    endif()
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${BRALTO_ROOT}/cmake/VersionInfo.rc.in ${script} @ONLY)
    target_sources(${target} PRIVATE ${script})
endfunction()
