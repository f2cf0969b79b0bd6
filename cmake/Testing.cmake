# orvane_add_gtest(<target> SOURCES ... LIBRARIES ... [SIM_DIR dir] [TIMEOUT s] [LABELS ...] [DESKTOP])
# A GoogleTest program whose cases CTest discovers when it runs (so that
# discovery under Wine needs no display at build time). The simulated camera
# (or the folder SIM_DIR) is put on the library search path: WINEPATH on
# Windows, LD_LIBRARY_PATH natively. DESKTOP marks tests that open windows:
# they share one display and find windows by title, so they run one at a time.
function(orvane_add_gtest target)
  cmake_parse_arguments(ARG "DESKTOP" "TIMEOUT;SIM_DIR" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main)
  if(NOT ARG_LABELS)
    set(ARG_LABELS ${target})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(NOT ARG_SIM_DIR)
    set(ARG_SIM_DIR ${ORVANE_SIM_DIR})
  endif()
  if(WIN32)
    set(env "WINEPATH=Z:${ARG_SIM_DIR}")
  else()
    set(env "LD_LIBRARY_PATH=${ARG_SIM_DIR}")
  endif()
  # Test properties pass through gtest_discover_tests as a flat list, so a
  # property takes one value here: the first label only.
  set(lock "")
  if(ARG_DESKTOP)
    set(lock RESOURCE_LOCK desktop)
  endif()
  list(GET ARG_LABELS 0 label)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT} LABELS "${label}" ${lock})
endfunction()
