# SPDX-License-Identifier: Apache-2.0
wb_bench(bench_hostlink hostlink/bench_hostlink.cpp LIBS wb_hostlink wb_config)

# The same link in a process with a window, flooded by the fault tests' host.
wb_bench(bench_hostflood hostlink/bench_hostflood.cpp LIBS wb_window wb_hostlink Qt::Test)
target_compile_definitions(bench_hostflood PRIVATE WB_FAULTHOST_PATH="$<TARGET_FILE:faulthost>")
add_dependencies(bench_hostflood faulthost)
