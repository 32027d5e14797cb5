# The material-removal simulation: reading G-code, the dexel stock, the comparison.
vantorel_test(sim_reader_test sim_reader_test.cpp LIBS vantorel_sim)
vantorel_test(sim_stock_test sim_stock_test.cpp LIBS vantorel_sim)
vantorel_test(sim_relief_test sim_relief_test.cpp LIBS vantorel_sim)
if(TARGET vantorel_io)
  vantorel_test(sim_pictures_test sim_pictures_test.cpp LIBS vantorel_io)
endif()
