# What the tests of the tool's programs share.
include(${PROJECT_SOURCE_DIR}/tools/quorsma/installation.cmake)

# The tool built once more as `name` in `dir`, beside an installation of its
# own: what its tests save (retentive registers, comments) stays apart from
# the demo's and from the other tests'.
function(quorsma_add_test_tool name dir title)
  quorsma_add_installation(${dir} "${title}")
  add_executable(${name} ${PROJECT_SOURCE_DIR}/tools/quorsma/main.cc)
  target_link_libraries(${name} PRIVATE quorsma_tool)
  target_compile_options(${name} PRIVATE ${QUORSMA_WARNINGS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
endfunction()

# A Google Test program `name` of the *_test.cc files of this directory, on
# the tool's logic, with the tests' main (tool_test_main.cc) and the child
# process helpers.
function(quorsma_add_tool_test_program name)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cc)
  add_executable(${name} ${tests} ${PROJECT_SOURCE_DIR}/tests/tool/tool_test_main.cc
                 ${PROJECT_SOURCE_DIR}/tests/process/child_process.cc)
  target_link_libraries(${name} PRIVATE quorsma_tool GTest::gtest)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tests/process)
  target_compile_options(${name} PRIVATE ${QUORSMA_WARNINGS})
endfunction()

# One CTest test running the test program `name` on a section of its own,
# `section` followed by a hash of this build directory: the library maps the
# section as soon as the program loads, so even listing its tests needs it.
# Further arguments are added to the test's environment.
function(quorsma_add_section_test name section timeout)
  string(MD5 section_hash "${CMAKE_CURRENT_BINARY_DIR}")
  string(SUBSTRING ${section_hash} 0 12 section_hash)
  set(environment "QUORSMA_SECTION=${section}_${section_hash}" "LANG=C.UTF-8" ${ARGN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} ENVIRONMENT "${environment}")
endfunction()
