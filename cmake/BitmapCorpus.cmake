# vantorel_bitmap_corpus(TARGET FOLDER): a target that writes the hostile and valid bitmap
# corpus into FOLDER at build time from its script, so nothing binary is kept in the repository
# and the files always match their manifest.
function(vantorel_bitmap_corpus target folder)
  find_program(VANTOREL_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(VANTOREL_PYTHON3 NAMES python3 REQUIRED)
  add_custom_command(
    OUTPUT "${folder}/manifest.txt"
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${folder}"
    COMMAND ${VANTOREL_PYTHON3} "${PROJECT_SOURCE_DIR}/scripts/make-bmp-corpus.py" "${folder}"
    DEPENDS "${PROJECT_SOURCE_DIR}/scripts/make-bmp-corpus.py"
    COMMENT "Writing the bitmap corpus"
    VERBATIM)
  add_custom_target(${target} DEPENDS "${folder}/manifest.txt")
endfunction()
