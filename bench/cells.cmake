# Whole-device backup and restore, and a scan of every address, against a
# paced emulator; run by hand (Release build):
#   build-release/bench/cells_bench
#   build-release/bench/scan_bench
add_executable(cells_bench ${CMAKE_CURRENT_LIST_DIR}/cells_bench.cpp)
target_link_libraries(cells_bench PRIVATE quillmar_core quillmar_device_core quillmar_test_emulator)
add_executable(scan_bench ${CMAKE_CURRENT_LIST_DIR}/scan_bench.cpp)
target_link_libraries(scan_bench PRIVATE quillmar_core quillmar_test_emulator)
