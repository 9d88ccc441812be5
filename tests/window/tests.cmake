wb_test(window tst_frame wb_window wb_hostlink)
wb_test(window tst_browser_e2e wb_webtestkit Qt5::WebChannel)
add_dependencies(tst_browser_e2e channel-web-browser)
wb_test(window tst_browserwindow wb_window wb_hostlink wb_webtestkit)
wb_test(window tst_downloadpanel wb_window wb_hostlink)
# Real clicks need a real X server: run this one under its own xvfb-run.
add_executable(tst_realclicks window/tst_realclicks.cpp)
target_link_libraries(tst_realclicks PRIVATE wb_testsupport Qt5::Test)
set_target_properties(tst_realclicks PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
add_dependencies(tst_realclicks channel-web-browser)
add_test(NAME tst_realclicks COMMAND xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" $<TARGET_FILE:tst_realclicks>)
set_tests_properties(tst_realclicks PROPERTIES TIMEOUT 300
    ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
# Real desktops the test starts itself: Xvfb, openbox, Xephyr for two screens.
wb_test(window tst_realdesktop wb_webtestkit Qt5::WebChannel)
add_dependencies(tst_realdesktop channel-web-browser)
set_tests_properties(tst_realdesktop PROPERTIES TIMEOUT 1200)
