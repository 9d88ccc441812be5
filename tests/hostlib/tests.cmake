# SPDX-License-Identifier: Apache-2.0
wb_test(hostlib tst_hostframer ChannelWebBrowser::Host)
# The browser's own writers and key table are read here too, so the library
# and the browser are checked against each other.
wb_test(hostlib tst_browserlink ChannelWebBrowser::Host wb_config)
wb_test(hostlib tst_browserhost ChannelWebBrowser::Host)
wb_test(hostlib tst_guide ChannelWebBrowser::Host wb_config)
target_compile_definitions(tst_guide PRIVATE WB_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
