# SPDX-License-Identifier: Apache-2.0
# The rooms include only downwards; reads the sources, links nothing of ours.
wb_test(layering tst_layering Qt::Core)
target_compile_definitions(tst_layering PRIVATE WB_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
# No two classes of ours include each other, through any number of others.
wb_test(layering tst_includecycles Qt::Core)
target_compile_definitions(tst_includecycles PRIVATE WB_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
