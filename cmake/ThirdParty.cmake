# nlohmann/json and CLI11 are header-only. The MinGW builds must not see
# /usr/include as a whole, so a folder of the build tree holds links to just
# their include folders: orvane_json for every library that writes JSON,
# orvane_cli11 for the command line's parser alone.
set(ORVANE_THIRD_PARTY ${CMAKE_BINARY_DIR}/third-party)
foreach(package nlohmann CLI)
  if(NOT EXISTS /usr/include/${package})
    message(FATAL_ERROR "/usr/include/${package} missing: install nlohmann-json3-dev and libcli11-dev")
  endif()
  file(MAKE_DIRECTORY ${ORVANE_THIRD_PARTY}/${package})
  file(CREATE_LINK /usr/include/${package} ${ORVANE_THIRD_PARTY}/${package}/${package} SYMBOLIC)
endforeach()
add_library(orvane_json INTERFACE)
target_include_directories(orvane_json SYSTEM INTERFACE ${ORVANE_THIRD_PARTY}/nlohmann)
add_library(orvane_cli11 INTERFACE)
target_include_directories(orvane_cli11 SYSTEM INTERFACE ${ORVANE_THIRD_PARTY}/CLI)
