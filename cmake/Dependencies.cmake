# zlib, Lua 5.2 (compiled from Debian's source tarball, never committed), GoogleTest and,
# natively, Google Benchmark.

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

if(NOT EXISTS "${TVSE_LUA_DIR}/src/lua.h")
  message(FATAL_ERROR "Lua 5.2 sources not found in ${TVSE_LUA_DIR}: run scripts/setup.sh")
endif()
file(GLOB TVSE_LUA_SOURCES "${TVSE_LUA_DIR}/src/*.c")
list(FILTER TVSE_LUA_SOURCES EXCLUDE REGEX "/(lua|luac)\\.c$")
# Compiled as C++: a Lua error then unwinds as an exception through our frames, running
# their destructors, where the C build would longjmp over them. Its headers must
# therefore be included without extern "C" (screen/lua_api.h).
set_source_files_properties(${TVSE_LUA_SOURCES} PROPERTIES LANGUAGE CXX)
add_library(lua52 STATIC ${TVSE_LUA_SOURCES})
target_include_directories(lua52 SYSTEM PUBLIC "${TVSE_LUA_DIR}/src")
set_target_properties(lua52 PROPERTIES LINKER_LANGUAGE CXX)
# The portable number conversions everywhere (LUA_ANSI; GCC and clang in strict C++
# mode choose them anyway), made total by a header included before each file.
target_compile_definitions(lua52 PRIVATE LUA_ANSI)
if(MSVC)
  target_compile_options(lua52 PRIVATE "/FI${PROJECT_SOURCE_DIR}/cmake/lua_number_conversions.h")
else()
  target_compile_options(lua52 PRIVATE -w -include "${PROJECT_SOURCE_DIR}/cmake/lua_number_conversions.h")
endif()
if(NOT WIN32)
  target_compile_definitions(lua52 PRIVATE LUA_USE_POSIX)
endif()

if(WIN32)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(TVSE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  add_subdirectory(${TVSE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(tvse_gtest INTERFACE)
  target_link_libraries(tvse_gtest INTERFACE gtest)
  add_library(tvse_gtest_main INTERFACE)
  target_link_libraries(tvse_gtest_main INTERFACE gtest_main)
else()
  find_package(GTest REQUIRED)
  add_library(tvse_gtest INTERFACE)
  target_link_libraries(tvse_gtest INTERFACE GTest::gtest)
  add_library(tvse_gtest_main INTERFACE)
  target_link_libraries(tvse_gtest_main INTERFACE GTest::gtest_main)
  find_package(benchmark REQUIRED)
  find_package(Threads REQUIRED)
endif()

# mingw-w64 ships no import library for d3d10_1.dll: make one from a two-line .def.
if(WIN32 AND NOT MSVC)
  set(TVSE_D3D10_1_DEF ${CMAKE_BINARY_DIR}/d3d10_1.def)
  set(TVSE_D3D10_1_LIB ${CMAKE_BINARY_DIR}/libd3d10_1.a)
  file(WRITE ${TVSE_D3D10_1_DEF} "LIBRARY d3d10_1.dll\nEXPORTS\nD3D10CreateDevice1\n")
  add_custom_command(OUTPUT ${TVSE_D3D10_1_LIB}
    COMMAND ${CMAKE_DLLTOOL} -d ${TVSE_D3D10_1_DEF} -l ${TVSE_D3D10_1_LIB} -k
    DEPENDS ${TVSE_D3D10_1_DEF})
  add_custom_target(d3d10_1_implib DEPENDS ${TVSE_D3D10_1_LIB})
  add_library(d3d10_1 STATIC IMPORTED GLOBAL)
  set_target_properties(d3d10_1 PROPERTIES IMPORTED_LOCATION ${TVSE_D3D10_1_LIB})
  add_dependencies(d3d10_1 d3d10_1_implib)
endif()
