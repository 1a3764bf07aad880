# Runs at install time (see install.cmake): writes the tool's configuration
# for the final prefix (DESTDIR only says where the files go) and makes the
# links of the layout.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

set(QUORSMA_EQP_NAME "QuorSMA")
# The data the programs write (retentive registers, the comment file) lives
# in /var/lib/quorsma for a system installation under /usr (the Debian
# package's postinst makes it from the templates in share/quorsma), and in
# share/quorsma/installation itself under any other prefix.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(QUORSMA_CONFIG_ROOT "/var/lib/quorsma")
else()
  set(QUORSMA_CONFIG_ROOT "${CMAKE_INSTALL_PREFIX}/${QUORSMA_SHARE_DIR}/installation")
endif()
set(QUORSMA_SEP "/")
set(config "${root}/${QUORSMA_TOOL_DIR}/_Configuration/_Configuration.ini")
message(STATUS "Installing: ${config}")
configure_file(${QUORSMA_CONFIG_TEMPLATE} ${config} @ONLY NEWLINE_STYLE CRLF)

function(quorsma_link target link)
  message(STATUS "Installing: ${link} -> ${target}")
  get_filename_component(dir ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(REMOVE ${link})
  file(CREATE_LINK ${target} ${link} SYMBOLIC)
endfunction()
quorsma_link(${QUORSMA_BIN_TO_TOOL}/quorsma "${root}/${QUORSMA_BIN_DIR}/quorsma")
quorsma_link(${QUORSMA_TOOL_TO_SHARE}/examples "${root}/${QUORSMA_TOOL_DIR}/examples")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES ${config} "${root}/${QUORSMA_BIN_DIR}/quorsma"
     "${root}/${QUORSMA_TOOL_DIR}/examples")
