# The public header is the one list of the library's exports.  Every exported
# function is declared there on one line,
#
#   QSMA_EXPORT <result> QSMA_API <name>(<parameters>);     standard convention
#   QSMA_EXPORT <result> QSMA_CDECL <name>(<parameters>);   C convention
#
# and everything else that names the exports is made from those lines when the
# build is configured: the plain name list (the Linux version script and the
# export checks), and the module definition files of the two Windows builds.
# The 32-bit one decorates standard-convention names with the bytes of their
# arguments (every parameter is a pointer or a 32-bit integer: 4 bytes each).

# quorsma_read_exports(HEADER NAMES_VAR DEF32_VAR): sets NAMES_VAR to the list
# of exported names, sorted, and DEF32_VAR to the matching list of 32-bit
# module-definition entries (name@bytes, or the plain name for C convention).
function(quorsma_read_exports header names_var def32_var)
  file(STRINGS ${header} lines REGEX "^QSMA_EXPORT ")
  set(names)
  set(entries)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "(QSMA_API|QSMA_CDECL) *([A-Za-z_][A-Za-z_0-9]*)\\(([^)]*)\\);")
      message(FATAL_ERROR "${header}: an export that is not on one line as `QSMA_EXPORT <result> QSMA_API <name>(...);`:\n  ${line}")
    endif()
    set(convention ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    string(STRIP "${CMAKE_MATCH_3}" parameters)
    if(parameters STREQUAL "void" OR parameters STREQUAL "")
      set(count 0)
    else()
      string(REGEX REPLACE "[^,]" "" commas "${parameters}")
      string(LENGTH "${commas}" count)
      math(EXPR count "${count} + 1")
    endif()
    if(name IN_LIST names)
      message(FATAL_ERROR "${header}: ${name} is declared twice")
    endif()
    list(APPEND names ${name})
    if(convention STREQUAL "QSMA_API")
      math(EXPR bytes "${count} * 4")
      list(APPEND entries "${name}@${bytes}")
    else()
      list(APPEND entries "${name}")
    endif()
  endforeach()
  list(SORT names)
  list(SORT entries)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  set(${names_var} ${names} PARENT_SCOPE)
  set(${def32_var} ${entries} PARENT_SCOPE)
endfunction()

# quorsma_write_export_files(HEADER DIR): writes DIR/export_names.txt (one name
# a line), DIR/QuorSMA32.def and DIR/QuorSMA64.def, and sets
# QUORSMA_EXPORT_NAMES in the caller's scope.
function(quorsma_write_export_files header dir)
  quorsma_read_exports(${header} names entries)
  list(JOIN names "\n" names_text)
  file(CONFIGURE OUTPUT ${dir}/export_names.txt CONTENT "${names_text}\n" @ONLY)
  set(sections "SECTIONS\n  SHARDATA READ WRITE SHARED\n")
  list(JOIN entries "\n  " entries_text)
  file(CONFIGURE OUTPUT ${dir}/QuorSMA32.def CONTENT
"; Exports of the 32-bit QuorSMA.dll, made from include/quorsma/quorsma.h.
; Functions of the standard Windows calling convention are listed with their
; decorated names (name@bytes of arguments): the import library then maps
; the decorated symbols that clients call to the undecorated names that
; --kill-at leaves in the export table.  The two C-convention comment
; editors are listed plainly.
LIBRARY QuorSMA
EXPORTS
  ${entries_text}
${sections}" @ONLY)
  list(JOIN names "\n  " plain_text)
  file(CONFIGURE OUTPUT ${dir}/QuorSMA64.def CONTENT
"; Exports of the 64-bit QuorSMA.dll, made from include/quorsma/quorsma.h.
; 64-bit Windows has one calling convention and no name decoration.
LIBRARY QuorSMA
EXPORTS
  ${plain_text}
${sections}" @ONLY)
  set(QUORSMA_EXPORT_NAMES ${names} PARENT_SCOPE)
endfunction()
