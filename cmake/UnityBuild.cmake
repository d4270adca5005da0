# Batches of 16 of a target's files are compiled as one ("unity" builds): a clean build
# takes half the processor time, which matters most on a first run of the test command,
# where Tivrel is built four times beside Qt for Windows. Names private to a file (an
# anonymous namespace) must therefore differ between the files of a target.
#
# A file that includes a system's own headers (X11, XCB, Win32, libwayland) is compiled
# alone: those headers define macros (None, Bool, Unsorted, min...) that break the Qt
# headers of the files after it in a batch. So is C code (wayland-scanner's output), whose
# files each define the same static names.

option(TIVREL_UNITY_BUILD "Compile each program's files in batches" ON)
set(CMAKE_UNITY_BUILD ${TIVREL_UNITY_BUILD})
set(CMAKE_UNITY_BUILD_BATCH_SIZE 16)

set(TIVREL_SYSTEM_INCLUDE
    "^#include [<\"](X11/|xcb/|windows\\.h|shlobj|shobjidl|objbase|winuser|mmsystem|wayland-)")

# Marks, in every folder from `dir` down, the files that must be compiled alone: C files, and
# C++ files whose includes match `pattern`.
function(tivrel_keep_apart_in dir pattern)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
      if(NOT source MATCHES "\\.(c|cpp)$" OR source MATCHES "^\\$<")
        continue()
      endif()
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}")
      set(hits ON)
      if(source MATCHES "\\.cpp$" AND EXISTS "${source}")
        file(STRINGS "${source}" hits REGEX "${pattern}" LIMIT_COUNT 1)
      endif()
      if(hits)
        set_source_files_properties("${source}" DIRECTORY "${dir}"
                                    PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      endif()
    endforeach()
  endforeach()
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    tivrel_keep_apart_in("${subdir}" "${pattern}")
  endforeach()
endfunction()

# A file is kept apart when it includes a system's headers itself or through one of the
# project's own headers that does.
function(tivrel_keep_system_headers_apart)
  if(NOT TIVREL_UNITY_BUILD)
    return()
  endif()
  file(GLOB_RECURSE headers LIST_DIRECTORIES false "${PROJECT_SOURCE_DIR}/src/*.h"
       "${PROJECT_SOURCE_DIR}/tests/*.h" "${PROJECT_SOURCE_DIR}/bench/*.h")
  set(pattern "${TIVREL_SYSTEM_INCLUDE}")
  foreach(header IN LISTS headers)
    file(STRINGS "${header}" hits REGEX "${TIVREL_SYSTEM_INCLUDE}" LIMIT_COUNT 1)
    if(hits)
      get_filename_component(name "${header}" NAME)
      string(REPLACE "." "\\." name "${name}")
      string(APPEND pattern "|^#include \"([^\"]*/)?${name}\"")
    endif()
  endforeach()
  tivrel_keep_apart_in("${PROJECT_SOURCE_DIR}" "${pattern}")
endfunction()
