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
