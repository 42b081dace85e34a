# Shared compile settings and the helper that places every executable.

add_library(lumiscene_warnings INTERFACE)
target_compile_options(lumiscene_warnings INTERFACE
  $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang>:-Wall -Wextra -Wpedantic -Wno-missing-field-initializers>)

# Executables land in <build>/bin; the default preset also copies them to build/bin,
# the one place the README and outside checks look.
function(lumiscene_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE lumiscene_warnings)
  if(LUMISCENE_PUBLISH_DIR)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMISCENE_PUBLISH_DIR}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${name}> ${LUMISCENE_PUBLISH_DIR}/
      VERBATIM)
  endif()
endfunction()

# The scrambling constants live in one place, the program's own header; the
# build reads them from there to prepare the stored pictures.
file(STRINGS ${PROJECT_SOURCE_DIR}/pictures/scramble_key.h scramble_lines REGEX "scramble(Seed|Width) = ")
string(REGEX MATCH "scrambleSeed = (0x[0-9A-Fa-f]+)" _ "${scramble_lines}")
set(LUMISCENE_SCRAMBLE_SEED ${CMAKE_MATCH_1})
string(REGEX MATCH "scrambleWidth = ([0-9]+)" _ "${scramble_lines}")
set(LUMISCENE_SCRAMBLE_WIDTH ${CMAKE_MATCH_1})

# The scrambler runs on the build machine: our own lumiscene-scramble, or in a
# cross build the host build of it (cmake/lumiscene_windows.cmake sets these).
if(NOT DEFINED LUMISCENE_SCRAMBLER)
  set(LUMISCENE_SCRAMBLER lumiscene-scramble)
  set(LUMISCENE_SCRAMBLER_DEPENDS lumiscene-scramble)
endif()

# lumiscene_embed_pictures(<target>): builds the two pictures, scrambled at
# build time by lumiscene-scramble, into the target as JPGDATA 112 and 115.
function(lumiscene_embed_pictures target)
  foreach(picture IN ITEMS "112;picture2" "115;picture1")
    list(GET picture 0 id)
    list(GET picture 1 name)
    set(plain ${PROJECT_SOURCE_DIR}/resources/${name}.jpg)
    set(stored ${CMAKE_BINARY_DIR}/resources/${name}.stored)
    if(NOT TARGET lumiscene_stored_${name})
      add_custom_command(
        OUTPUT ${stored}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
        COMMAND ${LUMISCENE_SCRAMBLER} ${LUMISCENE_SCRAMBLE_SEED} ${LUMISCENE_SCRAMBLE_WIDTH} ${plain} ${stored}
        DEPENDS ${LUMISCENE_SCRAMBLER_DEPENDS} ${plain}
        COMMENT "Scrambling ${name}.jpg"
        VERBATIM)
      add_custom_target(lumiscene_stored_${name} DEPENDS ${stored})
    endif()
    lumiscene_embed_resource(${target} TYPE JPGDATA NAME ${id} FILE ${stored})
    add_dependencies(${target} lumiscene_stored_${name})
  endforeach()
endfunction()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/lumiscene_windows.cmake)
endif()

# The version header, in <build>/generated; lumiscene_version links it in.
configure_file(${CMAKE_CURRENT_LIST_DIR}/lumiscene_version.h.in ${CMAKE_BINARY_DIR}/generated/lumiscene_version.h @ONLY)
add_library(lumiscene_version INTERFACE)
target_include_directories(lumiscene_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
