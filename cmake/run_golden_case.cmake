# Runs one golden case (see Golden.cmake). Invoked with -DPROGRAM, -DCASE_DIR,
# -DWORK_DIR and optionally -DTHREADS (the OpenMP thread count).
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

# Copy the inputs: everything but cmd and the expected results.
file(GLOB inputs LIST_DIRECTORIES true RELATIVE ${CASE_DIR} ${CASE_DIR}/*)
set(input_names)
foreach(item ${inputs})
  if(NOT item MATCHES "^(cmd|expected\\.stdout|expected\\.exit|expected)$")
    file(COPY ${CASE_DIR}/${item} DESTINATION ${WORK_DIR})
    list(APPEND input_names ${item})
  endif()
endforeach()

file(STRINGS ${CASE_DIR}/cmd arguments)
if(DEFINED THREADS)
  set(ENV{OMP_NUM_THREADS} ${THREADS})
endif()
execute_process(
  COMMAND ${PROGRAM} ${arguments}
  WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_VARIABLE actual_stdout
  RESULT_VARIABLE actual_exit
  TIMEOUT 600)

set(regenerate "$ENV{TAVRIN_REGENERATE}")

function(report_difference label expected_text actual_text)
  string(REPLACE "\n" ";" expected_lines "${expected_text}")
  string(REPLACE "\n" ";" actual_lines "${actual_text}")
  list(LENGTH expected_lines n_expected)
  list(LENGTH actual_lines n_actual)
  set(i 0)
  while(i LESS n_expected AND i LESS n_actual)
    list(GET expected_lines ${i} e)
    list(GET actual_lines ${i} a)
    if(NOT "${e}" STREQUAL "${a}")
      math(EXPR line_no "${i} + 1")
      message(SEND_ERROR "${label}: first difference at line ${line_no}\n  expected: [${e}]\n  actual:   [${a}]")
      return()
    endif()
    math(EXPR i "${i} + 1")
  endwhile()
  message(SEND_ERROR "${label}: lengths differ (${n_expected} expected lines, ${n_actual} actual lines)")
endfunction()

# Only the one-thread run rewrites the expected files.
if(regenerate AND DEFINED THREADS AND NOT THREADS EQUAL 1)
  return()
endif()
if(regenerate)
  file(WRITE ${CASE_DIR}/expected.stdout "${actual_stdout}")
  file(WRITE ${CASE_DIR}/expected.exit "${actual_exit}\n")
  file(REMOVE_RECURSE ${CASE_DIR}/expected)
  file(GLOB produced LIST_DIRECTORIES true RELATIVE ${WORK_DIR} ${WORK_DIR}/*)
  foreach(item ${produced})
    list(FIND input_names ${item} idx)
    if(idx EQUAL -1)
      file(COPY ${WORK_DIR}/${item} DESTINATION ${CASE_DIR}/expected)
    endif()
  endforeach()
  message(STATUS "regenerated ${CASE_DIR}")
  return()
endif()

file(READ ${CASE_DIR}/expected.exit expected_exit)
string(STRIP "${expected_exit}" expected_exit)
if(NOT "${actual_exit}" STREQUAL "${expected_exit}")
  message(SEND_ERROR "exit status: expected ${expected_exit}, got ${actual_exit}")
endif()

file(READ ${CASE_DIR}/expected.stdout expected_stdout)
if(NOT "${expected_stdout}" STREQUAL "${actual_stdout}")
  file(WRITE ${WORK_DIR}/actual.stdout "${actual_stdout}")
  report_difference("stdout (actual written to ${WORK_DIR}/actual.stdout)"
    "${expected_stdout}" "${actual_stdout}")
endif()

set(expected_names)
if(IS_DIRECTORY ${CASE_DIR}/expected)
  # Recursive, so that an output folder is compared file by file.
  file(GLOB_RECURSE expected_files LIST_DIRECTORIES false RELATIVE ${CASE_DIR}/expected ${CASE_DIR}/expected/*)
  foreach(item ${expected_files})
    list(APPEND expected_names ${item})
    if(NOT EXISTS ${WORK_DIR}/${item})
      message(SEND_ERROR "missing output file ${item}")
      continue()
    endif()
    file(READ ${CASE_DIR}/expected/${item} e HEX)
    file(READ ${WORK_DIR}/${item} a HEX)
    if(NOT e STREQUAL a)
      file(READ ${CASE_DIR}/expected/${item} et)
      file(READ ${WORK_DIR}/${item} at)
      report_difference("output file ${item} (in ${WORK_DIR})" "${et}" "${at}")
    endif()
  endforeach()
endif()

# No file beyond the inputs and the expected outputs may appear, in output
# folders either.
file(GLOB_RECURSE produced LIST_DIRECTORIES false RELATIVE ${WORK_DIR} ${WORK_DIR}/*)
foreach(item ${produced})
  string(REGEX REPLACE "/.*" "" top ${item})
  list(FIND input_names ${top} in_inputs)
  list(FIND expected_names ${item} in_expected)
  if(in_inputs EQUAL -1 AND in_expected EQUAL -1 AND NOT item STREQUAL "actual.stdout")
    message(SEND_ERROR "unexpected output file ${item}")
  endif()
endforeach()
