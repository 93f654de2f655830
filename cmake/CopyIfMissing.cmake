# cmake -DSOURCE=from -DTARGET=to -P CopyIfMissing.cmake
# Copies SOURCE to TARGET only when TARGET does not exist yet.
if(NOT EXISTS "${TARGET}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
  message(STATUS "Copied ${SOURCE} to ${TARGET}")
endif()
