vantorel_test(toolpath_contact_test toolpath_contact_test.cpp LIBS vantorel_toolpath)
vantorel_test(toolpath_drop_cutter_test toolpath_drop_cutter_test.cpp LIBS vantorel_toolpath)
vantorel_test(toolpath_path_test toolpath_path_test.cpp LIBS vantorel_toolpath)
if(TARGET vantorel-cli)
  add_test(NAME toolpath_programs_read_by_rs274
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/toolpath_rs274_test.sh $<TARGET_FILE:vantorel-cli>)
  set_tests_properties(toolpath_programs_read_by_rs274 PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
