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
