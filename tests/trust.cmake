# Hostile input: damaged and foreign pictures, and field texts that are no ordinary numbers.

vantorel_test(hostile_fields_test hostile_fields_test.cpp)

# Picture loading and the settings file are built with the Qt front ends.
if(TARGET vantorel-cli)
  include(${PROJECT_SOURCE_DIR}/cmake/BitmapCorpus.cmake)
  set(bmp_corpus "${CMAKE_CURRENT_BINARY_DIR}/bmp-corpus")
  vantorel_bitmap_corpus(bmp_corpus "${bmp_corpus}")

  vantorel_test(picture_file_test picture_file_test.cpp LIBS vantorel_io vantorel_test_files)
  target_compile_definitions(picture_file_test PRIVATE VANTOREL_BMP_CORPUS="${bmp_corpus}")
  # The cases are made from the manifest when the tests are listed, right after linking.
  add_dependencies(picture_file_test bmp_corpus vantorel-cli)

  # Every pixel of every picture decoded from the corpus must be defined memory. Valgrind sees
  # what the decoder (which the sanitizers do not instrument) leaves uninitialised; it cannot
  # run a program built with the address sanitizer, whose own checks cover that build.
  add_executable(picture_touch picture_touch.cpp)
  target_link_libraries(picture_touch PRIVATE vantorel_io)
  add_dependencies(picture_touch bmp_corpus)
  find_program(VANTOREL_VALGRIND valgrind)
  if(VANTOREL_VALGRIND AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize=[a-z,-]*address")
    add_test(NAME hostile_pictures_define_every_pixel
      COMMAND ${VANTOREL_VALGRIND} --error-exitcode=1 --quiet
              $<TARGET_FILE:picture_touch> "${bmp_corpus}")
    set_tests_properties(hostile_pictures_define_every_pixel PROPERTIES TIMEOUT 600)
  endif()

  vantorel_test(settings_file_safety_test settings_file_safety_test.cpp
                LIBS vantorel_io vantorel_test_files)
endif()
