# korrin_add_qt_test(<name> SOURCES ... LIBS ...): one Qt Test executable run as one ctest test,
# on the offscreen platform, with a private runtime folder and a configuration folder of its own.
find_package(Qt6 REQUIRED COMPONENTS Test Widgets)

function(korrin_add_qt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
  target_compile_definitions(${name} PRIVATE
    KORRIN_TEST_DATA_DIR="${KORRIN_TEST_DATA_DIR}"
    KORRIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set(runtime "${CMAKE_CURRENT_BINARY_DIR}/${name}.runtime")
  file(MAKE_DIRECTORY "${runtime}")
  file(CHMOD "${runtime}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${runtime};XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}.config;ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()
