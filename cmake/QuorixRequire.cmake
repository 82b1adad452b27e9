# quorix_require(FOUND WHAT OPTION PACKAGES): stops the configuration unless FOUND is
# true, naming what is missing, the option that needs it and the Debian packages that
# provide it (scripts/common.sh installs them all).
function(quorix_require found what option packages)
  if(NOT ${found})
    message(FATAL_ERROR "${what} not found; ${option} needs it. Install the Debian packages "
      "${packages}, or configure with -D${option}=OFF.")
  endif()
endfunction()
