# The simulation's benchmark, run by hand: a 1000 x 1000 finishing program at 0.05 mm cells.
add_executable(vantorel-sim-bench sim_bench.cpp)
target_link_libraries(vantorel-sim-bench PRIVATE vantorel_sim vantorel_writers)
