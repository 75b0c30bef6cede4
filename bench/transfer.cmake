# Upload and download against a paced emulator; run by hand (Release build):
#   build-release/bench/transfer_bench
add_executable(transfer_bench ${CMAKE_CURRENT_LIST_DIR}/transfer_bench.cpp)
target_link_libraries(transfer_bench PRIVATE quillmar_core quillmar_test_emulator)
