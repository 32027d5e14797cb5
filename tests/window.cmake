# The window and its settings, driven through Qt Test on the offscreen platform.
if(TARGET vantorel_window)
  find_package(Qt6 REQUIRED COMPONENTS Test)

  function(vantorel_window_test name)
    add_executable(${name} ${name}.cpp window_support.h)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE vantorel_window Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    # A dialog left open by a fault would wait for ever; the timeout ends such a run.
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  endfunction()

  vantorel_window_test(window_test)
  vantorel_window_test(settings_test)
endif()
