# libsodium as the imported target Sodium::Sodium: the system's natively (libsodium-dev), the
# project's own static build (scripts/build-libsodium-mingw.sh) for Windows.
if(TARGET Sodium::Sodium)
  return()
endif()
if(WIN32)
  set(SODIUM_ROOT "${PROJECT_SOURCE_DIR}/build/deps/libsodium-${CMAKE_SYSTEM_PROCESSOR}"
      CACHE PATH "Static libsodium built for this target")
  set(sodium_library ${SODIUM_ROOT}/lib/libsodium.a)
  if(NOT EXISTS ${sodium_library})
    # The script is cached and does nothing once the library exists.
    execute_process(
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-libsodium-mingw.sh ${CMAKE_SYSTEM_PROCESSOR}
      RESULT_VARIABLE sodium_result)
    if(NOT EXISTS ${sodium_library})
      message(FATAL_ERROR "No static libsodium in ${SODIUM_ROOT} (build-libsodium-mingw.sh: "
                          "${sodium_result})")
    endif()
  endif()
  add_library(Sodium::Sodium STATIC IMPORTED)
  set_target_properties(Sodium::Sodium PROPERTIES
                        IMPORTED_LOCATION ${sodium_library}
                        INTERFACE_INCLUDE_DIRECTORIES ${SODIUM_ROOT}/include
                        # The headers declare the functions for static linking (no dllimport).
                        INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET GLOBAL libsodium)
  add_library(Sodium::Sodium ALIAS PkgConfig::SODIUM)
endif()
