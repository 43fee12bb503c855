# The fuzz targets: fuzz/<name>_fuzz.cpp, each with the library that holds
# the reader it drives. A target whose library does not exist is left out.
set(TAVRIN_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TAVRIN_FUZZ_TARGETS
  command_line=tavrin_common
  line_reader=tavrin_common
  fasta=tavrin_common
  interactions=tavrin_common
  shuffle=tavrin_common
  similarity=tavrin_common
  masked_counts=pair_finder_lib
  queue_counts=motif_pair_finder_lib
  climb_scan=motif_pair_finder_lib
  se_file=tavrin_common
  noa_reader=tavrin_common
  motif=tavrin_common
  jaspar=motif_compare_lib
  ace=motif_compare_lib
  orthologs=conservation_lib
  word_index=conservation_lib
  motif_records=conservation_lib
  motif_jaspar=motif_formats_lib
  motif_pfm=motif_formats_lib
  motif_meme=motif_formats_lib
  motif_transfac=motif_formats_lib
  motif_homer=motif_formats_lib
  motif_strings=motif_formats_lib
)

# Sets <prefix>_NAME and <prefix>_LIBRARY from one list entry, and
# <prefix>_AVAILABLE when its source and library exist.
macro(tavrin_fuzz_target_parts entry prefix)
  string(REPLACE "=" ";" _parts ${entry})
  list(GET _parts 0 ${prefix}_NAME)
  list(GET _parts 1 ${prefix}_LIBRARY)
  set(${prefix}_SOURCE ${TAVRIN_FUZZ_DIR}/${${prefix}_NAME}_fuzz.cpp)
  if(TARGET ${${prefix}_LIBRARY} AND EXISTS ${${prefix}_SOURCE})
    set(${prefix}_AVAILABLE TRUE)
  else()
    set(${prefix}_AVAILABLE FALSE)
  endif()
endmacro()
