wb_test(window tst_frame wb_window wb_hostlink)
wb_test(window tst_browser_e2e wb_webtestkit Qt5::WebChannel)
add_dependencies(tst_browser_e2e channel-web-browser)
wb_test(window tst_browserwindow wb_window wb_hostlink wb_webtestkit)
