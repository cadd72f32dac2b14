# mingw_dependency(NAME LIBRARY ROOT_VAR): a static library that scripts/build-NAME-mingw.sh
# cross-builds from Debian's source into build/deps/NAME-ARCH. ROOT_VAR (a cache path, so that it
# can point elsewhere) is set to that folder; the script runs when LIBRARY (under lib/) is missing
# and is itself cached, so it does nothing once the library is there.
function(mingw_dependency name library root_var)
  set(${root_var} "${PROJECT_SOURCE_DIR}/build/deps/${name}-${CMAKE_SYSTEM_PROCESSOR}"
      CACHE PATH "Static ${name} built for this target")
  set(root ${${root_var}})
  if(NOT EXISTS ${root}/lib/${library})
    execute_process(
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-${name}-mingw.sh ${CMAKE_SYSTEM_PROCESSOR}
      RESULT_VARIABLE result)
    if(NOT EXISTS ${root}/lib/${library})
      message(FATAL_ERROR "No static ${name} in ${root} (build-${name}-mingw.sh: ${result})")
    endif()
  endif()
endfunction()
