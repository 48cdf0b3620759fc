# transvo_core_module(<name> [DEPS <targets...>])
#
# One static library per core folder under src/, from every .cpp in it. Core modules never link
# Qt, so none of them sees Qt's include paths and a stray Qt include fails the build.
function(transvo_core_module name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(sources)
        add_library(transvo_${name} STATIC ${sources} ${headers})
        target_include_directories(transvo_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(transvo_${name} PUBLIC ${ARG_DEPS})
        set_target_properties(transvo_${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    else()
        add_library(transvo_${name} INTERFACE)
        target_include_directories(transvo_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(transvo_${name} INTERFACE ${ARG_DEPS})
    endif()
    add_library(transvo::${name} ALIAS transvo_${name})
endfunction()

# transvo_test(<module> [DEPS <targets...>] [LABELS <labels...>])
#
# One GoogleTest executable per test folder, from every .cpp in tests/<module>/. OWN_MAIN: the
# folder brings its own main() (the GUI tests create their QApplication there). LABELS lets
# ctest -L pick the folder's tests.
function(transvo_test module)
    cmake_parse_arguments(ARG "OWN_MAIN" "" "DEPS;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${module}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(test_${module} ${sources})
    set_target_properties(test_${module} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_include_directories(test_${module} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(test_${module} PRIVATE ${ARG_DEPS} transvo_testsupport GTest::gtest)
    if(NOT ARG_OWN_MAIN)
        target_link_libraries(test_${module} PRIVATE GTest::gtest_main)
    endif()
    target_compile_definitions(test_${module} PRIVATE
        TRANSVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        TRANSVO_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        TRANSVO_FIXTURES="${PROJECT_SOURCE_DIR}/tests/data"
        TRANSVO_BIN_DIR="${TRANSVO_BIN_DIR}"
        TRANSVO_BUILD_DIR="${CMAKE_BINARY_DIR}")
    set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    if(ARG_LABELS)
        list(APPEND properties LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(test_${module} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
