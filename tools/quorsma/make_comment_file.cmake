# Makes the example COMMENT.WCD: the built tool imports the example comments
# (UTF-8, converted to CP949) on a fresh section of its own, and the library
# writes the comment file.  Run with -DTOOL -DSECTION -DCOMMENTS -DOUTPUT.
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QUORSMA_SECTION=${SECTION} ${TOOL} comment import --utf8 ${COMMENTS}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT EXISTS ${OUTPUT})
  # Without it the installation still works: the devices have no comments.
  message(WARNING "The example comment file was not made (${result}):\n${output}${errors}")
endif()
