# The Windows build (MinGW-w64 cross build, see cmake/mingw-w64-x86_64.cmake):
# lumiscene.exe and lumiscene.scr with their resource script, and the host
# scrambler that prepares the stored pictures the script embeds.

enable_language(RC)

# The stored pictures must be scrambled on the build machine by the program's
# own descrambler, so the scrambler is built for the host, not for Windows.
# A scrambler that is already built (e.g. the default preset's) can be named
# instead, which saves building it again.
set(LUMISCENE_HOST_SCRAMBLE "" CACHE FILEPATH
    "lumiscene-scramble built for the build machine; empty builds one under <build>/host")
if(LUMISCENE_HOST_SCRAMBLE)
  set(LUMISCENE_SCRAMBLER ${LUMISCENE_HOST_SCRAMBLE})
  set(LUMISCENE_SCRAMBLER_DEPENDS ${LUMISCENE_HOST_SCRAMBLE})
else()
  include(ExternalProject)
  set(host_dir ${CMAKE_BINARY_DIR}/host)
  ExternalProject_Add(lumiscene_host_scramble
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${host_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DLUMISCENE_TESTS=OFF -DLUMISCENE_BENCH=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_dir} --target lumiscene-scramble
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${host_dir}/bin/lumiscene-scramble
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
  set(LUMISCENE_SCRAMBLER ${host_dir}/bin/lumiscene-scramble)
  set(LUMISCENE_SCRAMBLER_DEPENDS lumiscene_host_scramble ${host_dir}/bin/lumiscene-scramble)
endif()

# The player: a GUI executable (WinMain) linked statically, so that it imports
# only the system's DLLs. The resource script finds the icon and the ids through
# the project root and the stored pictures through <build>/resources.
# Defined once the whole tree is read, since it needs the program's libraries
# and the resource helpers of platform/.
function(lumiscene_windows_player)
  lumiscene_executable(lumiscene ${PROJECT_SOURCE_DIR}/app/win_main.cpp ${PROJECT_SOURCE_DIR}/resources/lumiscene.rc)
  set_target_properties(lumiscene PROPERTIES WIN32_EXECUTABLE ON)
  target_link_libraries(lumiscene PRIVATE lumiscene_app lumiscene_version)
  target_include_directories(lumiscene PRIVATE $<$<COMPILE_LANGUAGE:RC>:${CMAKE_BINARY_DIR}/resources>)
  lumiscene_embed_pictures(lumiscene)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/resources/lumiscene.rc APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_BINARY_DIR}/resources/picture1.stored ${CMAKE_BINARY_DIR}/resources/picture2.stored
    ${PROJECT_SOURCE_DIR}/resources/resource_ids.h ${PROJECT_SOURCE_DIR}/resources/lumiscene.ico
    ${PROJECT_SOURCE_DIR}/resources/lumiscene.manifest ${CMAKE_BINARY_DIR}/generated/lumiscene_version.h)
  install(TARGETS lumiscene RUNTIME DESTINATION .)

  # The screensaver: the same program and resources behind its own entry
  # point, named lumiscene.scr as Windows wants its savers.
  lumiscene_executable(lumiscene_saver ${PROJECT_SOURCE_DIR}/app/saver_main.cpp ${PROJECT_SOURCE_DIR}/resources/lumiscene.rc)
  set_target_properties(lumiscene_saver PROPERTIES WIN32_EXECUTABLE ON OUTPUT_NAME lumiscene SUFFIX .scr)
  target_link_libraries(lumiscene_saver PRIVATE lumiscene_app lumiscene_version)
  target_include_directories(lumiscene_saver PRIVATE $<$<COMPILE_LANGUAGE:RC>:${CMAKE_BINARY_DIR}/resources>)
  target_compile_definitions(lumiscene_saver PRIVATE $<$<COMPILE_LANGUAGE:RC>:LUMISCENE_SAVER>)
  lumiscene_embed_pictures(lumiscene_saver)
  install(TARGETS lumiscene_saver RUNTIME DESTINATION .)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lumiscene_windows_player)

# The developer tools that run the program on the headless backend have no
# Windows form; keep them out of the default build.
function(lumiscene_windows_skip_headless_tools)
  foreach(target lumiscene-render lumiscene_render_tool)
    if(TARGET ${target})
      set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lumiscene_windows_skip_headless_tools)
