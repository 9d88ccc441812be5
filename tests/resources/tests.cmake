# SPDX-License-Identifier: Apache-2.0
wb_test(resources tst_resource wb_resources wb_config)
