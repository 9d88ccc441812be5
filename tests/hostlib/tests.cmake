wb_test(hostlib tst_hostframer ChannelWebBrowser::Host)
# The browser's own writers and key table are read here too, so the library
# and the browser are checked against each other.
wb_test(hostlib tst_browserlink ChannelWebBrowser::Host wb_config)
wb_test(hostlib tst_browserhost ChannelWebBrowser::Host)
