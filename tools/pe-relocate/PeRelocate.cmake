# pe_relocate_header(target): after each link, move the target's PE header to file offset 256.
# The tool runs on the build machine, so a cross build compiles it with the host's compiler.
set(PE_RELOCATE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(pe_relocate_header target)
  set(sources ${PE_RELOCATE_DIR}/PeRelocate.cpp ${PE_RELOCATE_DIR}/pe_relocate_main.cpp)
  if(CMAKE_CROSSCOMPILING)
    set(tool ${CMAKE_BINARY_DIR}/host-tools/pe-relocate-header)
    if(NOT TARGET pe-relocate-header-host)
      find_program(HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
      add_custom_command(OUTPUT ${tool}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host-tools
        COMMAND ${HOST_CXX} -std=c++17 -O2 -Wall -o ${tool} ${sources}
        DEPENDS ${sources} ${PE_RELOCATE_DIR}/PeRelocate.h
        COMMENT "Building pe-relocate-header for the build machine")
      add_custom_target(pe-relocate-header-host DEPENDS ${tool})
    endif()
    add_dependencies(${target} pe-relocate-header-host)
  else()
    set(tool $<TARGET_FILE:pe-relocate-header>)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${tool} $<TARGET_FILE:${target}>
    COMMENT "Moving the PE header of ${target} to offset 256")
endfunction()
