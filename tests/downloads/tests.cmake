# SPDX-License-Identifier: Apache-2.0
wb_test(downloads tst_modelitemfile wb_downloads)
wb_test(downloads tst_modelitembase wb_downloads)
wb_test(downloads tst_downloadfilemodel wb_downloads)
wb_test(downloads tst_downloadfiledelegate wb_downloads)
wb_test(downloads tst_treeview wb_downloads)
wb_test(downloads tst_downloadfiletree wb_downloads)
wb_test(downloads tst_jsonlistreader wb_downloads)
wb_exact_stacks(tst_downloadfiletree tst_jsonlistreader)
