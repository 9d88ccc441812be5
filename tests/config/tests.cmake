# SPDX-License-Identifier: Apache-2.0
wb_test(config tst_configure wb_config)
wb_test(config tst_configkeys wb_config)
wb_test(config tst_hostmatch wb_config)
wb_test(config tst_permissionpolicy wb_config)
wb_test(config tst_externallinks wb_config)
