# SPDX-License-Identifier: Apache-2.0
# Which newer web features this build's page engine has.
wb_bench(bench_features features/bench_features.cpp LIBS Qt::WebEngineWidgets)
