# The project's version (project(VERSION ...)) is written in two more places
# that are read without CMake: the public header and the Python package.  The
# configure step fails when they disagree with it, and runs again whenever one
# of them changes, so a build never mixes versions.
function(quorsma_check_version)
  set(header ${PROJECT_SOURCE_DIR}/include/quorsma/quorsma.h)
  set(python ${PROJECT_SOURCE_DIR}/python/quorsma/_version.py)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header} ${python})

  set(found "")
  foreach(part MAJOR MINOR PATCH)
    file(STRINGS ${header} line REGEX "^#define QUORSMA_VERSION_${part} [0-9]+$")
    string(REGEX REPLACE ".* " "" value "${line}")
    if(NOT value STREQUAL PROJECT_VERSION_${part})
      message(FATAL_ERROR "quorsma.h: QUORSMA_VERSION_${part} is '${value}', the project's version is ${PROJECT_VERSION}")
    endif()
  endforeach()
  file(STRINGS ${header} line REGEX "^#define QUORSMA_VERSION_STRING ")
  if(NOT line STREQUAL "#define QUORSMA_VERSION_STRING \"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "quorsma.h: '${line}' does not give the project's version ${PROJECT_VERSION}")
  endif()
  file(STRINGS ${python} line REGEX "^__version__ = ")
  if(NOT line STREQUAL "__version__ = \"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "python/quorsma/_version.py: '${line}' does not give the project's version ${PROJECT_VERSION}")
  endif()
endfunction()
