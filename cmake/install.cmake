# What `cmake --install` lays out under the prefix P (Linux):
#
#   include/quorsma/quorsma.h, client.h, client.hpp
#   <libdir>/libQuorSMA.so.1.0.0, libQuorSMA.so.1, libQuorSMA.so
#   <libdir>/libquorsma-client.so.1.0.0, .so.1, .so    the client library
#   <libdir>/cmake/QuorSMA/              find_package(QuorSMA CONFIG): QuorSMA::QuorSMA,
#                                        QuorSMA::Client
#   <libdir>/pkgconfig/quorsma.pc, quorsma-client.pc   relocatable: paths follow the file
#   bin/quorsma                          a link to lib/quorsma/quorsma
#   lib/quorsma/                         the tool, and beside it the configuration
#                                        it reads (_Configuration/), naming the
#                                        data directories under share/quorsma
#   lib/python3/dist-packages/quorsma/   the Python package
#   share/quorsma/examples/              example programs and the C client
#   share/quorsma/installation/          the default installation's data files
#   share/man/man1/quorsma*.1.gz         manual pages made from the help text
#   share/doc/quorsma/                   README, copyright, changelog.Debian.gz
#
# The library reads the configuration beside the running executable, resolved
# through links; the tool therefore lives in a directory of its own, and the
# link in bin/ finds the configuration there.
#
# Under the prefix /usr (the Debian package) the system's places take over:
#   /etc/quorsma/_Configuration.ini      the configuration (none beside the
#                                        tool: every program finds this one)
#   /etc/quorsma/example.*               an example instance's files
#   lib/systemd/system/                  the service units and quorsma.target
#   /var/lib/quorsma                     the data (made by postinst)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUORSMA_TOOL_DIR lib/quorsma)
set(QUORSMA_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/quorsma)
set(QUORSMA_PYTHON_DIR lib/python3/dist-packages)
set(QUORSMA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/QuorSMA)
set(QUORSMA_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
# Relative paths between installed directories, for links, the run path and
# the relocatable pkg-config file.
function(quorsma_relative out from to)
  file(RELATIVE_PATH rel /prefix/${from} /prefix/${to})
  if(rel STREQUAL "")
    set(rel .)
  endif()
  set(${out} ${rel} PARENT_SCOPE)
endfunction()

# The library, its header and the CMake package.
install(TARGETS QuorSMA QuorSMAClient EXPORT QuorSMATargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/quorsma/quorsma.h ${PROJECT_SOURCE_DIR}/include/quorsma/client.h
              ${PROJECT_SOURCE_DIR}/include/quorsma/client.hpp
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quorsma)
install(EXPORT QuorSMATargets NAMESPACE QuorSMA:: DESTINATION ${QUORSMA_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuorSMAConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/QuorSMAConfig.cmake INSTALL_DESTINATION ${QUORSMA_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/QuorSMAConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuorSMAConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/QuorSMAConfigVersion.cmake
  DESTINATION ${QUORSMA_CMAKE_DIR})

quorsma_relative(QUORSMA_PC_PREFIX ${QUORSMA_PKGCONFIG_DIR} "")
configure_file(${PROJECT_SOURCE_DIR}/cmake/quorsma.pc.in ${CMAKE_CURRENT_BINARY_DIR}/quorsma.pc @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/quorsma-client.pc.in ${CMAKE_CURRENT_BINARY_DIR}/quorsma-client.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quorsma.pc ${CMAKE_CURRENT_BINARY_DIR}/quorsma-client.pc
        DESTINATION ${QUORSMA_PKGCONFIG_DIR})

# The tool in its directory, finding the library through a relative run path.
quorsma_relative(tool_to_lib ${QUORSMA_TOOL_DIR} ${CMAKE_INSTALL_LIBDIR})
set_target_properties(quorsma PROPERTIES INSTALL_RPATH "$ORIGIN/${tool_to_lib}")
install(TARGETS quorsma RUNTIME DESTINATION ${QUORSMA_TOOL_DIR})

# Examples and the default installation's data (the comment file is the one
# the build made with the tool).
set(tool_build_dir ${PROJECT_BINARY_DIR}/tools/quorsma)
file(GLOB QUORSMA_EXAMPLE_PROGRAMS ${PROJECT_SOURCE_DIR}/examples/*.il)
install(FILES ${QUORSMA_EXAMPLE_PROGRAMS} ${tool_build_dir}/examples/bench_1000.il
  DESTINATION ${QUORSMA_SHARE_DIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/examples/c_client/c_client.c ${PROJECT_SOURCE_DIR}/examples/c_client/checked_write.c
              ${PROJECT_SOURCE_DIR}/examples/c_client/CMakeLists.txt
  DESTINATION ${QUORSMA_SHARE_DIR}/examples/c_client)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/installation/param DESTINATION ${QUORSMA_SHARE_DIR}/installation)
install(FILES ${tool_build_dir}/installation/plc/Resource/Others/COMMENT.WCD
  DESTINATION ${QUORSMA_SHARE_DIR}/installation/plc/Resource/Others OPTIONAL)
install(DIRECTORY DESTINATION ${QUORSMA_SHARE_DIR}/installation/setting)
install(DIRECTORY DESTINATION ${QUORSMA_SHARE_DIR}/installation/log)

# The Python package, with the installed places of the libraries and of the
# tool's configuration, relative to the package.
quorsma_relative(python_to_lib ${QUORSMA_PYTHON_DIR}/quorsma ${CMAKE_INSTALL_LIBDIR})
quorsma_relative(python_to_tool ${QUORSMA_PYTHON_DIR}/quorsma ${QUORSMA_TOOL_DIR})
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/python/_installed.py
  "\"\"\"Where the installation put the libraries and the tool's configuration, relative to this package.\"\"\"\n"
  "LIBRARY = \"${python_to_lib}/libQuorSMA.so.${PROJECT_VERSION_MAJOR}\"\n"
  "CLIENT_LIBRARY = \"${python_to_lib}/libquorsma-client.so.${PROJECT_VERSION_MAJOR}\"\n"
  "CONFIG = \"${python_to_tool}/_Configuration/_Configuration.ini\"\n")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/quorsma DESTINATION ${QUORSMA_PYTHON_DIR}
  FILES_MATCHING PATTERN "*.py" PATTERN "py.typed" PATTERN "__pycache__" EXCLUDE)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/python/_installed.py DESTINATION ${QUORSMA_PYTHON_DIR}/quorsma)

# Made when installing, where the prefix is known: the tool's configuration
# naming the data directories of this prefix, and the links.
quorsma_relative(tool_to_share ${QUORSMA_TOOL_DIR} ${QUORSMA_SHARE_DIR})
quorsma_relative(bin_to_tool ${CMAKE_INSTALL_BINDIR} ${QUORSMA_TOOL_DIR})
# Manual pages from the built tool's help text (help2man), and the package's
# documentation.
find_program(QUORSMA_HELP2MAN help2man)
if(QUORSMA_HELP2MAN)
  set(man_dir ${PROJECT_BINARY_DIR}/man)
  add_custom_command(
    OUTPUT ${man_dir}/quorsma.1.gz
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:quorsma> -DHELP2MAN=${QUORSMA_HELP2MAN}
            -DVERSION=${PROJECT_VERSION} -DINCLUDE=${PROJECT_SOURCE_DIR}/packaging/man/quorsma.h2m -DOUT=${man_dir}
            -P ${PROJECT_SOURCE_DIR}/packaging/man/make_man_pages.cmake
    DEPENDS quorsma ${PROJECT_SOURCE_DIR}/packaging/man/make_man_pages.cmake
            ${PROJECT_SOURCE_DIR}/packaging/man/quorsma.h2m
    COMMENT "Making the manual pages from the help text")
  add_custom_target(quorsma_man_pages ALL DEPENDS ${man_dir}/quorsma.1.gz)
  install(DIRECTORY ${man_dir}/ DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 FILES_MATCHING PATTERN "*.1.gz")
else()
  message(WARNING "help2man not found: no manual pages (scripts/setup-linux.sh installs it)")
endif()
file(READ ${PROJECT_SOURCE_DIR}/packaging/doc/changelog.Debian changelog)
if(NOT changelog MATCHES "^quorsma \\(${PROJECT_VERSION}\\)")
  message(FATAL_ERROR "packaging/doc/changelog.Debian does not begin with version ${PROJECT_VERSION}")
endif()
set(changelog_gz ${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/doc/changelog.Debian > ${changelog_gz}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/doc/changelog.Debian)
add_custom_target(quorsma_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/doc/copyright ${changelog_gz} ${PROJECT_SOURCE_DIR}/README.md
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorsma)

install(CODE "
  set(QUORSMA_PACKAGING_DIR \"${PROJECT_SOURCE_DIR}/packaging\")
  set(QUORSMA_EXAMPLE_PROGRAM \"${PROJECT_SOURCE_DIR}/examples/traffic_light.il\")
  set(QUORSMA_CONFIG_TEMPLATE \"${PROJECT_SOURCE_DIR}/examples/installation/_Configuration.ini.in\")
  set(QUORSMA_PROGRAM_VER \"${PROJECT_VERSION}\")
  set(QUORSMA_TOOL_DIR \"${QUORSMA_TOOL_DIR}\")
  set(QUORSMA_SHARE_DIR \"${QUORSMA_SHARE_DIR}\")
  set(QUORSMA_BIN_DIR \"${CMAKE_INSTALL_BINDIR}\")
  set(QUORSMA_TOOL_TO_SHARE \"${tool_to_share}\")
  set(QUORSMA_BIN_TO_TOOL \"${bin_to_tool}\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/install_layout.cmake)
