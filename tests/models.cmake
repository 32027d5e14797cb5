# The wrapped surface geometry and the STL, OBJ and DXF writers.
vantorel_test(geometry_test geometry_test.cpp LIBS vantorel_test_files)
vantorel_test(stl_writer_test stl_writer_test.cpp LIBS vantorel_test_files)
vantorel_test(obj_writer_test obj_writer_test.cpp LIBS vantorel_test_files)
vantorel_test(dxf_writer_test dxf_writer_test.cpp LIBS vantorel_test_files)
vantorel_test(model_run_test model_run_test.cpp LIBS vantorel_test_files)
# Real readers of the files: admesh, assimp and ezdxf.
vantorel_test(model_readers_test model_readers_test.cpp LIBS vantorel_test_files)
vantorel_test(gcode_text_test gcode_text_test.cpp LIBS vantorel_test_files)
