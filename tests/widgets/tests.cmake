# SPDX-License-Identifier: Apache-2.0
wb_test(widgets tst_button wb_widgets)
wb_test(widgets tst_textbutton wb_widgets)
wb_test(widgets tst_imagebutton wb_widgets)
wb_test(widgets tst_informbox wb_widgets)
