# The shipped INSEE index files. The program's own index-file writer, in a
# small build tool on the engine, turns each series of data/insee/ into an
# index file in the canonical form (quarters not published stay 0,00); no
# index value is written by hand anywhere else. The default Indices.txt is
# the IRL, the index of residential leases. The same tool writes the C++
# source of the published values that the engine compiles in: the engine
# cannot be linked into its own generator, so the tool is built from the
# engine sources the index-file writer needs.
add_executable(calvor_index_file tools/index_file_tool.cpp
  src/engine/fixed_point.cpp src/engine/index_table.cpp src/engine/number_text.cpp
  src/engine/packed_date.cpp src/engine/rtf_text.cpp)
target_link_libraries(calvor_index_file PRIVATE calvor_platform)

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

# The published values compiled into the engine (engine/published_quarters.h),
# one argument per IndexSeries enumerator and its CSV.
set(CALVOR_PUBLISHED_SOURCE ${CMAKE_BINARY_DIR}/generated/published_quarters.cpp)
set(_series_args)
set(_series_csvs)
foreach(_pair IN ITEMS Irl=IRL Ilc=ILC Ilat=ILAT Icc=ICC)
  string(REPLACE "=" ";" _parts ${_pair})
  list(GET _parts 0 _enumerator)
  list(GET _parts 1 _series)
  list(APPEND _series_args ${_enumerator}=${CALVOR_INDEX_CSV_DIR}/${_series}.csv)
  list(APPEND _series_csvs ${CALVOR_INDEX_CSV_DIR}/${_series}.csv)
endforeach()
add_custom_command(OUTPUT ${CALVOR_PUBLISHED_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND calvor_index_file --source ${CALVOR_PUBLISHED_SOURCE} ${_series_args}
  DEPENDS calvor_index_file ${_series_csvs}
  COMMENT "Writing the published INSEE values" VERBATIM)
add_custom_target(calvor_published_source DEPENDS ${CALVOR_PUBLISHED_SOURCE})
target_sources(calvor_engine PRIVATE ${CALVOR_PUBLISHED_SOURCE})
add_dependencies(calvor_engine calvor_published_source)

# A build folder without Indices.txt gets the shipped one beside the
# program, as an installer would, so that `make run` starts on real data.
# An existing file is the developer's and is never touched.
add_custom_target(calvor_build_folder_indices ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CALVOR_INDEX_DIR}/Indices.txt
          -DTARGET=$<TARGET_FILE_DIR:calvor>/Indices.txt
          -P ${CMAKE_CURRENT_LIST_DIR}/CopyIfMissing.cmake
  DEPENDS calvor_index_files VERBATIM)
