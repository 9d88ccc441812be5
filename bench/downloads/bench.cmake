# SPDX-License-Identifier: Apache-2.0
wb_bench(bench_downloadhistory downloads/bench_downloadhistory.cpp LIBS wb_downloads Qt::Test)
