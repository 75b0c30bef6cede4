# The device link's waiting and sending costs; run by hand.
add_executable(link_wait_bench ${CMAKE_CURRENT_LIST_DIR}/link_wait_bench.cpp)
target_link_libraries(link_wait_bench PRIVATE quillmar_core)
target_compile_definitions(link_wait_bench PRIVATE QUILLMAR_DEVICE="$<TARGET_FILE:quillmar-device>")
add_dependencies(link_wait_bench quillmar-device)
