# SPDX-License-Identifier: Apache-2.0
wb_bench(bench_hostlink hostlink/bench_hostlink.cpp LIBS wb_hostlink wb_config)
