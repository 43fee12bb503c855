# Golden end-to-end cases: tests/golden/<program>/<case>/ holds
#   cmd              one argument per line (program name not included)
#   expected.stdout  the whole console output
#   expected.exit    the exit status
#   expected/        every output file the run must leave, byte for byte
# and any input files. Each case runs in its own work folder, so ctest -j is
# safe. Every case runs twice, on one thread and on three (OMP_NUM_THREADS),
# since the output must not depend on the thread count. TAVRIN_REGENERATE=1 in the environment rewrites the expected files
# (review every regenerated file as a diff).
set(TAVRIN_GOLDEN_RUNNER ${CMAKE_CURRENT_LIST_DIR}/run_golden_case.cmake)

function(tavrin_golden_cases program_target program_folder)
  set(root ${CMAKE_SOURCE_DIR}/tests/golden/${program_folder})
  file(GLOB case_dirs LIST_DIRECTORIES true ${root}/*)
  foreach(case_dir ${case_dirs})
    if(IS_DIRECTORY ${case_dir} AND EXISTS ${case_dir}/cmd)
      get_filename_component(case_name ${case_dir} NAME)
      foreach(threads 1 3)
        set(test_name golden.${program_folder}.${case_name}.t${threads})
        add_test(NAME ${test_name}
          COMMAND ${CMAKE_COMMAND}
            -DPROGRAM=$<TARGET_FILE:${program_target}>
            -DCASE_DIR=${case_dir}
            -DTHREADS=${threads}
            -DWORK_DIR=${CMAKE_BINARY_DIR}/golden-work/${program_folder}/${case_name}.t${threads}
            -P ${TAVRIN_GOLDEN_RUNNER})
        set_tests_properties(${test_name} PROPERTIES LABELS golden)
      endforeach()
    endif()
  endforeach()
endfunction()
