# The largest real program compiled as the window does; run by hand:
#   build-release/bench/program_compile_bench [runs]
add_executable(program_compile_bench ${CMAKE_CURRENT_LIST_DIR}/program_compile_bench.cpp)
target_link_libraries(program_compile_bench PRIVATE quillmar_core)
