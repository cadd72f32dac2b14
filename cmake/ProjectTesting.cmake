# GoogleTest and the one helper every test directory registers its tests with.
#
# Natively the system's GoogleTest is used. A MinGW build compiles Debian's GoogleTest sources
# (libgtest-dev ships them) and runs each test under wine through the cross-compiling emulator.

if(CMAKE_CROSSCOMPILING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
else()
  find_package(GTest REQUIRED)
endif()

# project_add_test(NAME n SOURCES s... [LIBS l...] [LABELS x...] [ARGS a...] [NO_MAIN]
#                  [WRAPPER command...])
# Under MinGW the test also gets the label "wine" and runs serially: one wineserver serves all.
# WRAPPER runs the test (through the emulator, when there is one) as its last arguments.
function(project_add_test)
  cmake_parse_arguments(T "NO_MAIN" "NAME;WORKING_DIRECTORY" "SOURCES;LIBS;LABELS;ARGS;WRAPPER"
                        ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(T_NO_MAIN)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  endif()
  if(NOT T_WORKING_DIRECTORY)
    set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(T_WRAPPER)
    add_test(NAME ${T_NAME}
             COMMAND ${T_WRAPPER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${T_NAME}> ${T_ARGS}
             WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} ${T_ARGS} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
  endif()
  set(labels ${T_LABELS})
  if(CMAKE_CROSSCOMPILING)
    list(APPEND labels wine)
    set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL ON)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT 600)
endfunction()
