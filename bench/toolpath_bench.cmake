# The finishing program's benchmark (run by hand, never by the tests).
add_executable(vantorel-toolpath-bench toolpath_bench.cpp)
target_link_libraries(vantorel-toolpath-bench PRIVATE vantorel_writers)
