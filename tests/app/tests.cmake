# SPDX-License-Identifier: Apache-2.0
wb_test(app tst_process wb_hostlink wb_webtestkit wb_testsupport)
add_dependencies(tst_process channel-web-browser)
