wb_test(app tst_process wb_hostlink)
add_dependencies(tst_process channel-web-browser)
