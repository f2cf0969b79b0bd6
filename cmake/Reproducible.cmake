# The shipped Windows binaries are the same bytes whichever folder and
# whenever they are built, so that anyone can rebuild a release and compare:
#   - no link time in the PE header (the linker would write the clock);
#   - source and build folders mapped to fixed names wherever the compiler
#     writes a path (__FILE__, debug information, the assembler's file name);
#   - static libraries without member time stamps, owners or modes.
if(NOT WIN32)
  return()
endif()

add_compile_options(
  "-ffile-prefix-map=${CMAKE_SOURCE_DIR}=src"
  "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
add_link_options(-Wl,--no-insert-timestamp)
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
