wb_test(window tst_frame wb_window wb_hostlink)
