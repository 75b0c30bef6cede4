# Opening and colouring a long program in the editor; run by hand:
#   build-release/bench/editor_bench [lines]
add_executable(editor_bench ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp)
target_link_libraries(editor_bench PRIVATE quillmar_gui)
