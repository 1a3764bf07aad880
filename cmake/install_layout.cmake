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
set(made_files)
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  # The system's configuration, which every program finds when none lies
  # beside it, an example instance's files, and the service units.
  set(etc "$ENV{DESTDIR}/etc/quorsma")
  set(config "${etc}/_Configuration.ini")
  file(MAKE_DIRECTORY ${etc})
  foreach(file example.modbus example.mqtt example.opcua example.serve example.run.env example.io)
    message(STATUS "Installing: ${etc}/${file}")
    file(COPY_FILE ${QUORSMA_PACKAGING_DIR}/etc/${file} ${etc}/${file} ONLY_IF_DIFFERENT)
    list(APPEND made_files ${etc}/${file})
  endforeach()
  file(COPY_FILE ${QUORSMA_EXAMPLE_PROGRAM} ${etc}/example.run ONLY_IF_DIFFERENT)
  list(APPEND made_files ${etc}/example.run)
  file(GLOB units ${QUORSMA_PACKAGING_DIR}/systemd/*)
  foreach(unit ${units})
    get_filename_component(name ${unit} NAME)
    message(STATUS "Installing: ${root}/lib/systemd/system/${name}")
    file(MAKE_DIRECTORY ${root}/lib/systemd/system)
    file(COPY_FILE ${unit} ${root}/lib/systemd/system/${name} ONLY_IF_DIFFERENT)
    list(APPEND made_files ${root}/lib/systemd/system/${name})
  endforeach()
else()
  set(config "${root}/${QUORSMA_TOOL_DIR}/_Configuration/_Configuration.ini")
endif()
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
list(APPEND CMAKE_INSTALL_MANIFEST_FILES ${config} ${made_files} "${root}/${QUORSMA_BIN_DIR}/quorsma"
     "${root}/${QUORSMA_TOOL_DIR}/examples")
