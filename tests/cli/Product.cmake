# The shipped orvanectl.exe, checked on the build machine like the other
# product binaries (included from the top level, also without the tests).
string(REGEX REPLACE "gcc(-posix)?$" "objdump" ORVANECTL_OBJDUMP "${CMAKE_C_COMPILER}")
add_test(NAME OrvanectlBinary
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/CheckOrvanectl.sh ${ORVANECTL_OBJDUMP} ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(OrvanectlBinary PROPERTIES LABELS product)
