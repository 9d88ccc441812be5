# SPDX-License-Identifier: Apache-2.0
wb_test(host tst_hoststore wb_host)
wb_test(host tst_hostsession wb_host)
wb_test(host tst_hostdownloader wb_host wb_webtestkit)
wb_test(host tst_demofiles wb_host)
# The whole host against the real browser and its own demo site.
wb_test(host tst_referencehost wb_host wb_testsupport)
add_dependencies(tst_referencehost channel-web-browser)
