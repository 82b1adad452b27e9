# Installs the build tree QUORIX_BUILD into WORK/prefix, then builds the consumer
# project CONSUMER against it twice (CMake package, pkg-config) and runs its programs,
# one per package, each of which must print 2.
#   cmake -DQUORIX_BUILD=... -DCONSUMER=... -DWORK=... [-DFLAGS=...] -P BuildConsumer.cmake
set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})

include(${CMAKE_CURRENT_LIST_DIR}/../../support/Run.cmake)

function(expect_two program)
  run(${program})
  if(NOT output STREQUAL "2\n")
    message(FATAL_ERROR "${program} printed '${output}', expected 2")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${QUORIX_BUILD} --prefix ${prefix})

# Every installed header finds what it includes in the installed tree: a public header
# that includes an internal one would break every user that includes it.
set(include_root ${prefix}/include)
file(GLOB_RECURSE installed_headers ${include_root}/*.hpp)
foreach(header IN LISTS installed_headers)
  file(STRINGS ${header} include_lines REGEX "^#include \"")
  get_filename_component(header_dir ${header} DIRECTORY)
  foreach(line IN LISTS include_lines)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    if(NOT EXISTS ${include_root}/${included} AND NOT EXISTS ${header_dir}/${included})
      message(FATAL_ERROR "${header} includes ${included}, which is not installed")
    endif()
  endforeach()
endforeach()

run(${CMAKE_COMMAND} -S ${CONSUMER} -B ${WORK}/build -G Ninja -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_CXX_FLAGS=${FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK}/build)
expect_two(${WORK}/build/calc4)
expect_two(${WORK}/build/calc5)

file(GLOB pc_dir LIST_DIRECTORIES true ${prefix}/lib*/pkgconfig ${prefix}/lib/*/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
separate_arguments(extra UNIX_COMMAND "${FLAGS}")
foreach(package IN ITEMS 4 5)
  run(pkg-config --cflags --libs Quorix${package})
  separate_arguments(pc_flags UNIX_COMMAND "${output}")
  run(c++ ${extra} ${CONSUMER}/calc${package}.cpp ${pc_flags} -o ${WORK}/calc${package}-pc)
  expect_two(${WORK}/calc${package}-pc)
endforeach()
