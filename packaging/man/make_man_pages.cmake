# Makes the manual pages from the tool's own help text, so that they always
# say what the built tool says: quorsma.1.gz, and quorsma-COMMAND.1.gz for
# every command that `quorsma --help` lists (but help).
#   cmake -DTOOL=path -DHELP2MAN=path -DVERSION=x.y.z -DINCLUDE=quorsma.h2m -DOUT=dir -P make_man_pages.cmake
file(MAKE_DIRECTORY ${OUT})
cmake_policy(SET CMP0054 NEW)  # quoted words in if() are words, not variables
execute_process(COMMAND ${TOOL} --help OUTPUT_VARIABLE help_text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${TOOL} --help failed")
endif()
# The lines under "Subcommands:": two blanks, the name, blanks, one line.
# A ';' in a summary would split the list: it is carried as a mark.
string(REPLACE ";" "<semicolon>" help_text "${help_text}")
string(REGEX REPLACE ".*\nSubcommands:\n" "" commands "${help_text}")
string(REGEX REPLACE "\n\n.*" "" commands "${commands}")
string(REPLACE "\n" ";" commands "${commands}")

# help2man's date follows SOURCE_DATE_EPOCH when set, for reproducible pages.
function(make_page page help_option name include)
  string(REPLACE ";" "\\;" name "${name}")  # one argument, whatever it holds
  set(args --no-info --no-discard-stderr --version-string=${VERSION} "--name=${name}"
           "--help-option=${help_option}" --output=${OUT}/${page}.1)
  if(include)
    list(APPEND args --include=${include})
  endif()
  execute_process(COMMAND ${HELP2MAN} ${args} ${TOOL} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help2man for ${page}: ${err}")
  endif()
  # help2man names the page after the program: each command's page takes its
  # own name, as man quorsma-modbus finds it.
  file(READ ${OUT}/${page}.1 text)
  string(TOUPPER ${page} title)
  string(REGEX REPLACE "\n\\.TH QUORSMA " "\n.TH ${title} " text "${text}")
  string(REGEX REPLACE "\n\\.SH NAME\nquorsma " "\n.SH NAME\n${page} " text "${text}")
  file(WRITE ${OUT}/${page}.1 "${text}")
  execute_process(COMMAND gzip -9nf ${OUT}/${page}.1 RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${page}.1 failed")
  endif()
endfunction()

make_page(quorsma --help "run ladder programs on, watch and edit the soft-PLC device memory" ${INCLUDE})
foreach(line ${commands})
  if(line MATCHES "^  ([a-z]+)  +(.*)$")
    set(command ${CMAKE_MATCH_1})
    string(REPLACE "<semicolon>" ";" summary "${CMAKE_MATCH_2}")
    if(NOT command STREQUAL "help")
      make_page(quorsma-${command} "${command} --help" "${summary}" "")
    endif()
  endif()
endforeach()
