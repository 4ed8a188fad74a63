# Shared settings for every target of the project.

# quillon_setup_target(<target> [CONVERSION] [QT])
#   Warnings as errors for our own code; CONVERSION adds -Wconversion where byte arithmetic lives.
#   QT keeps moc, uic and rcc on; other targets skip them.
function(quillon_setup_target target)
    cmake_parse_arguments(ARG "CONVERSION;QT" "" "" ${ARGN})
    if(NOT ARG_QT)
        set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    endif()
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
    if(ARG_CONVERSION)
        target_compile_options(${target} PRIVATE -Wconversion -Wsign-conversion)
    endif()
    # GCC 12 reports -Wrestrict on std::string concatenation at -O3 where no overlap can occur
    # (a false positive fixed in later releases); keep it from failing optimised builds.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    set_target_properties(${target} PROPERTIES COMPILE_WARNING_AS_ERROR ON)
    target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/generated)
endfunction()

# quillon_gtest(<name> SOURCES ... LIBS ...)
#   One GoogleTest executable; each test becomes its own ctest entry.
function(quillon_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    quillon_setup_target(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} testsupport GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        PROPERTIES ENVIRONMENT "QUILLON_SOURCE_DIR=${PROJECT_SOURCE_DIR};QT_QPA_PLATFORM=offscreen"
        DISCOVERY_TIMEOUT 60
        DISCOVERY_MODE PRE_TEST)
endfunction()

# quillon_qtest(<name> SOURCES ... LIBS ...)
#   One Qt Test executable, run in the offscreen platform.
function(quillon_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    quillon_setup_target(${name} QT)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} testsupport Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        ENVIRONMENT "QUILLON_SOURCE_DIR=${PROJECT_SOURCE_DIR};QT_QPA_PLATFORM=offscreen")
endfunction()
