# Installs the build tree QUORIX_BUILD into WORK/prefix, then builds each project under
# EXAMPLES against it, as a user's project would, and runs its program: the command-line
# examples must print what NAME.out beside this script holds; a window example
# (WINDOWS) must still be running after a few seconds without a display.
#   cmake -DQUORIX_BUILD=... -DEXAMPLES=... -DWORK=... "-DNAMES=a;b" "-DWINDOWS=c" [-DFLAGS=...]
#         -P RunExamples.cmake
set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})

include(${CMAKE_CURRENT_LIST_DIR}/../support/Run.cmake)

function(build_example name)
  run(${CMAKE_COMMAND} -S ${EXAMPLES}/${name} -B ${WORK}/${name} -G Ninja -DCMAKE_PREFIX_PATH=${prefix}
      "-DCMAKE_CXX_FLAGS=${FLAGS}")
  run(${CMAKE_COMMAND} --build ${WORK}/${name})
endfunction()

run(${CMAKE_COMMAND} --install ${QUORIX_BUILD} --prefix ${prefix})

foreach(name IN LISTS NAMES)
  build_example(${name})
  run(${WORK}/${name}/${name})
  file(READ ${CMAKE_CURRENT_LIST_DIR}/${name}.out expected)
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "${name} printed:\n${output}\nexpected:\n${expected}")
  endif()
endforeach()

foreach(name IN LISTS WINDOWS)
  build_example(${name})
  set(ENV{QT_QPA_PLATFORM} offscreen)
  execute_process(COMMAND ${WORK}/${name}/${name} TIMEOUT 5 RESULT_VARIABLE status ERROR_VARIABLE err)
  if(status MATCHES "^[0-9]+$")
    message(FATAL_ERROR "${name} ended (${status}) instead of showing its window:\n${err}")
  endif()
endforeach()

# The README shows the same code, which must not drift from what is built here.
foreach(name IN LISTS NAMES WINDOWS)
  file(READ ${EXAMPLES}/${name}/main.cpp source)
  file(READ ${EXAMPLES}/../README.md readme)
  string(FIND "${readme}" "${source}" position)
  if(position EQUAL -1)
    message(FATAL_ERROR "README.md does not show examples/${name}/main.cpp as it is")
  endif()
endforeach()
