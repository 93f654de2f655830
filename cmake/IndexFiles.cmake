# The shipped INSEE index files. The program's own index-file writer, in a
# small build tool on the engine, turns each series of data/insee/ into an
# index file in the canonical form (quarters not published stay 0,00); no
# index value is written by hand anywhere else. The default Indices.txt is
# the IRL, the index of residential leases.
add_executable(calvor_index_file tools/index_file_tool.cpp)
target_link_libraries(calvor_index_file PRIVATE calvor_engine)

set(CALVOR_INDEX_SERIES IRL ICC ILC ILAT)
set(CALVOR_INDEX_CSV_DIR ${CMAKE_CURRENT_SOURCE_DIR}/data/insee)
set(CALVOR_INDEX_DIR ${CMAKE_BINARY_DIR}/data)
set(CALVOR_INDEX_FILES)
foreach(_series IN LISTS CALVOR_INDEX_SERIES)
  set(_out ${CALVOR_INDEX_DIR}/${_series}.txt)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CALVOR_INDEX_DIR}
    COMMAND calvor_index_file ${CALVOR_INDEX_CSV_DIR}/${_series}.csv ${_out}
    DEPENDS calvor_index_file ${CALVOR_INDEX_CSV_DIR}/${_series}.csv
    COMMENT "Writing the index file ${_series}.txt" VERBATIM)
  list(APPEND CALVOR_INDEX_FILES ${_out})
endforeach()
add_custom_command(OUTPUT ${CALVOR_INDEX_DIR}/Indices.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${CALVOR_INDEX_DIR}/IRL.txt ${CALVOR_INDEX_DIR}/Indices.txt
  DEPENDS ${CALVOR_INDEX_DIR}/IRL.txt VERBATIM)
list(APPEND CALVOR_INDEX_FILES ${CALVOR_INDEX_DIR}/Indices.txt)
add_custom_target(calvor_index_files ALL DEPENDS ${CALVOR_INDEX_FILES})

# A build folder without Indices.txt gets the shipped one beside the
# program, as an installer would, so that `make run` starts on real data.
# An existing file is the developer's and is never touched.
add_custom_target(calvor_build_folder_indices ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CALVOR_INDEX_DIR}/Indices.txt
          -DTARGET=$<TARGET_FILE_DIR:calvor>/Indices.txt
          -P ${CMAKE_CURRENT_LIST_DIR}/CopyIfMissing.cmake
  DEPENDS calvor_index_files VERBATIM)
