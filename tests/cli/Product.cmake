# The shipped orvanectl.exe, checked on the build machine like the other
# product binaries (included from the top level, also without the tests).
string(REGEX REPLACE "gcc(-posix)?$" "objdump" ORVANECTL_OBJDUMP "${CMAKE_C_COMPILER}")
add_test(NAME OrvanectlBinary
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/CheckOrvanectl.sh ${ORVANECTL_OBJDUMP} ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(OrvanectlBinary PROPERTIES LABELS product)
# The check itself, on a captured text of a binary that imports an entry
# of Telvix.dll by ordinal: it must say so.
add_test(NAME OrvanectlBinaryCheckSeesOrdinals
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/CheckOrvanectl.sh --headers ${CMAKE_CURRENT_LIST_DIR}/OrdinalImport.objdump.txt)
set_tests_properties(OrvanectlBinaryCheckSeesOrdinals PROPERTIES LABELS product
  PASS_REGULAR_EXPRESSION "FAIL: Telvix.dll entries imported by ordinal: [^\n]*4  <none>")
