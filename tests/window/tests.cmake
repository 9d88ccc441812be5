wb_test(window tst_frame wb_window wb_hostlink)
wb_test(window tst_browser_e2e wb_webtestkit Qt5::WebChannel)
add_dependencies(tst_browser_e2e channel-web-browser)
