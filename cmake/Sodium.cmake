# libsodium as the imported target Sodium::Sodium: the system's natively (libsodium-dev), the
# project's own static build (scripts/build-libsodium-mingw.sh) for Windows.
if(TARGET Sodium::Sodium)
  return()
endif()
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/MingwDependency.cmake)
  mingw_dependency(libsodium libsodium.a SODIUM_ROOT)
  set(sodium_library ${SODIUM_ROOT}/lib/libsodium.a)
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
