# SPDX-License-Identifier: Apache-2.0
# Start-up against the engine floor, and the memory of a large download history.
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(Threads REQUIRED)

wb_bench(bench_floor startup/bench_floor.cpp LIBS Qt::WebEngineWidgets)

wb_bench(bench_startup startup/bench_startup.cpp startup/pagesite.h startup/pagesite.cpp
    startup/processtree.h startup/processtree.cpp
    ${PROJECT_SOURCE_DIR}/hostlink/endpoint.h ${PROJECT_SOURCE_DIR}/hostlink/endpoint.cpp
    LIBS wb_common Qt::Gui Qt::Network PkgConfig::BENCH_HTTPLIB Threads::Threads)
target_compile_definitions(bench_startup PRIVATE
    WB_BROWSER_PATH="$<TARGET_FILE:channel-web-browser>"
    WB_FLOOR_PATH="$<TARGET_FILE:bench_floor>")
add_dependencies(bench_startup channel-web-browser bench_floor)

wb_bench(bench_historymemory startup/bench_historymemory.cpp LIBS wb_window wb_hostlink)
