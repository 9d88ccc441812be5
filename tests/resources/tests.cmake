wb_test(resources tst_resource wb_resources wb_config)
