# SPDX-License-Identifier: Apache-2.0
wb_test(hostlink tst_endpoint wb_hostlink)
wb_test(hostlink tst_transport wb_hostlink ChannelWebBrowser::Host)
wb_test(hostlink tst_dispatch wb_hostlink wb_testsupport)
