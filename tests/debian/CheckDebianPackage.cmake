# Builds the Debian package of the build tree QUORIX_BUILD into WORK and checks that it
# holds what a user's program and a calculator user need.
#   cmake -DQUORIX_BUILD=... -DWORK=... "-DEXPECTED=path;..." -P CheckDebianPackage.cmake
file(REMOVE_RECURSE ${WORK})

include(${CMAKE_CURRENT_LIST_DIR}/../support/Run.cmake)

run(cpack --config ${QUORIX_BUILD}/CPackConfig.cmake -B ${WORK})
file(GLOB packages ${WORK}/quorix_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one quorix_*.deb in ${WORK}, found: ${packages}")
endif()

run(dpkg-deb --contents ${packages})
set(listing "${output}")
foreach(path IN LISTS EXPECTED)
  if(NOT listing MATCHES " \\./usr/${path}( |\n)")
    message(FATAL_ERROR "${packages} lacks /usr/${path}; it holds:\n${listing}")
  endif()
endforeach()
if(listing MATCHES "/(build|tests)/")
  message(FATAL_ERROR "${packages} holds files of the build or the tests:\n${listing}")
endif()
