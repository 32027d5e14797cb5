add_library(vantorel_test_files STATIC test_files.cpp)
target_link_libraries(vantorel_test_files PUBLIC vantorel_writers)

vantorel_test(conversion_run_test conversion_run_test.cpp LIBS vantorel_test_files)
vantorel_test(nc_writer_test nc_writer_test.cpp LIBS vantorel_test_files)
vantorel_test(depth_grid_test depth_grid_test.cpp)
vantorel_test(file_names_test file_names_test.cpp)
vantorel_test(output_file_test output_file_test.cpp LIBS vantorel_test_files)
# The command line and the tests that drive it are built with the Qt front ends.
if(TARGET vantorel-cli)
  vantorel_test(cli_test cli_test.cpp LIBS vantorel_test_files)
  add_dependencies(cli_test vantorel-cli)

  add_test(NAME gcode_interpreter_reads_sample
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/gcode_interpreter_test.sh
            $<TARGET_FILE:vantorel-cli> ${PROJECT_SOURCE_DIR}/samples/rosette.bmp)
  set_tests_properties(gcode_interpreter_reads_sample PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)

  # All four outputs, byte for byte, against a second implementation written independently.
  add_test(NAME outputs_match_independent_reference
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/reference/compare_with_reference.py
            $<TARGET_FILE:vantorel-cli> 250)
  set_tests_properties(outputs_match_independent_reference PROPERTIES TIMEOUT 600)
endif()
