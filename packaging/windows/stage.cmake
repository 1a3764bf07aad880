# Lays out the Windows installation in STAGE and packs it: the zip
# QuorSMA-<version>-<arch>.zip and, when makensis is found, the installer
# QuorSMA-<version>-<arch>-setup.exe.  Run with -DSTAGE -DOUT_DIR -DVERSION
# -DARCH -DSOURCE -DTOOL_DIR (the built tool, its DLLs and bundled
# installation) -DIMPORT_LIBS (a ;-list) -DMAKENSIS (may be empty).
#
#   quorsma.exe, QuorSMA.dll, quorsma-client.dll
#   libmodbus.dll, libmicrohttpd.dll (LGPL: replaceable, so not built in)
#   include/quorsma/            quorsma.h, client.h, client.hpp
#   lib/                        the import libraries
#   examples/                   the example programs, the C client
#   installation/               the data: param/, plc/Resource/Others/COMMENT.WCD
#   licences/                   those of the libraries built into the tool
#   configure.cmd, README.md
#
# No configuration is staged: the installer writes it for the folder it
# installs to, and configure.cmd does for an unpacked zip.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/include/quorsma ${STAGE}/lib ${STAGE}/examples/c_client ${STAGE}/licences
     ${STAGE}/installation/plc/Resource/Others ${STAGE}/installation/setting ${STAGE}/installation/log)
file(COPY ${TOOL_DIR}/quorsma.exe ${TOOL_DIR}/QuorSMA.dll ${TOOL_DIR}/quorsma-client.dll ${TOOL_DIR}/libmodbus.dll
     ${TOOL_DIR}/libmicrohttpd.dll DESTINATION ${STAGE})
file(COPY ${IMPORT_LIBS} DESTINATION ${STAGE}/lib)
file(COPY ${SOURCE}/include/quorsma/quorsma.h ${SOURCE}/include/quorsma/client.h ${SOURCE}/include/quorsma/client.hpp
     DESTINATION ${STAGE}/include/quorsma)
file(GLOB programs ${SOURCE}/examples/*.il)
file(COPY ${programs} ${TOOL_DIR}/examples/bench_1000.il ${SOURCE}/examples/modbus_map.txt
     DESTINATION ${STAGE}/examples)
file(COPY ${SOURCE}/examples/c_client/c_client.c ${SOURCE}/examples/c_client/checked_write.c
     ${SOURCE}/examples/c_client/CMakeLists.txt DESTINATION ${STAGE}/examples/c_client)
file(COPY ${SOURCE}/examples/installation/param DESTINATION ${STAGE}/installation)
set(comments ${TOOL_DIR}/installation/plc/Resource/Others/COMMENT.WCD)
if(NOT EXISTS ${comments})
  message(FATAL_ERROR "no example comment file at ${comments}: build the comment file target first")
endif()
file(COPY ${comments} DESTINATION ${STAGE}/installation/plc/Resource/Others)
file(COPY ${SOURCE}/README.md DESTINATION ${STAGE})
configure_file(${SOURCE}/packaging/doc/copyright ${STAGE}/licences/QuorSMA.txt COPYONLY)
configure_file(${SOURCE}/third_party/libmodbus/COPYING.LESSER ${STAGE}/licences/libmodbus-COPYING.LESSER.txt COPYONLY)
configure_file(${SOURCE}/third_party/libmicrohttpd/COPYING ${STAGE}/licences/libmicrohttpd-COPYING.txt COPYONLY)
foreach(file LICENSE.txt epl-v20 edl-v10 NOTICE.md)
  configure_file(${SOURCE}/third_party/mosquitto/${file} ${STAGE}/licences/mosquitto-${file} COPYONLY)
endforeach()
configure_file(${SOURCE}/packaging/windows/configure.cmd ${STAGE}/configure.cmd @ONLY NEWLINE_STYLE CRLF)

# Nothing staged may name the build: no build path in any file.
# The source tree (the build trees lie in it) as Linux and as wine write it.
string(REPLACE "/" "\\\\" windows_source "${SOURCE}")
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${STAGE}/*)
foreach(file ${staged})
  file(STRINGS ${file} hits REGEX "${SOURCE}|${windows_source}")
  if(hits AND NOT file MATCHES "README\\.md$")
    message(FATAL_ERROR "${file} names a build path: ${hits}")
  endif()
endforeach()

set(name QuorSMA-${VERSION}-${ARCH})
file(REMOVE ${OUT_DIR}/${name}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT_DIR}/${name}.zip --format=zip .
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the zip was not made (${result})")
endif()
message(STATUS "made ${OUT_DIR}/${name}.zip")
if(MAKENSIS)
  file(REMOVE ${OUT_DIR}/${name}-setup.exe)
  execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DSTAGE=${STAGE} -DOUTFILE=${OUT_DIR}/${name}-setup.exe
                          ${SOURCE}/packaging/windows/quorsma.nsi RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT EXISTS ${OUT_DIR}/${name}-setup.exe)
    message(FATAL_ERROR "makensis failed (${result})")
  endif()
  message(STATUS "made ${OUT_DIR}/${name}-setup.exe")
else()
  message(WARNING "makensis not found (Debian package nsis): no installer, the zip only")
endif()
