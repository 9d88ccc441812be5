# SPDX-License-Identifier: Apache-2.0
wb_test(window tst_frame wb_window wb_hostlink)
wb_test(window tst_windowplacement wb_window)
wb_test(window tst_browser_e2e wb_webtestkit wb_testsupport Qt::WebChannel)
add_dependencies(tst_browser_e2e channel-web-browser browser-opening-history)
target_compile_definitions(tst_browser_e2e PRIVATE WB_HISTORY_BROWSER_PATH="$<TARGET_FILE:browser-opening-history>")
wb_test(window tst_browserwindow wb_window wb_hostlink wb_webtestkit wb_testsupport)
wb_test(window tst_downloadpanel wb_window wb_hostlink wb_testsupport)
# Real clicks need a real X server: run this one under its own xvfb-run.
add_executable(tst_realclicks window/tst_realclicks.cpp)
target_link_libraries(tst_realclicks PRIVATE wb_testsupport wb_webtestkit Qt::Test)
set_target_properties(tst_realclicks PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
add_dependencies(tst_realclicks channel-web-browser)
add_test(NAME tst_realclicks COMMAND xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" $<TARGET_FILE:tst_realclicks>)
set_tests_properties(tst_realclicks PROPERTIES TIMEOUT 300
    ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
# Real desktops the test starts itself: Xvfb, openbox, Xephyr for two screens.
wb_test(window tst_realdesktop wb_webtestkit wb_testsupport Qt::WebChannel)
add_dependencies(tst_realdesktop channel-web-browser)
set_tests_properties(tst_realdesktop PROPERTIES TIMEOUT 1200)
# The host-driven session on Wayland: the same tests as clients of a headless
# weston that each run starts for itself.
foreach(_test tst_browser_e2e tst_browserwindow tst_downloadpanel)
    add_test(NAME ${_test}_wayland COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/with-weston $<TARGET_FILE:${_test}>)
    set_tests_properties(${_test}_wayland PROPERTIES TIMEOUT 300
        ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;QT_QUICK_BACKEND=software")
endforeach()
# In a session with an accessibility bus, on a virtual X screen.
add_executable(tst_accessibility window/tst_accessibility.cpp)
target_link_libraries(tst_accessibility PRIVATE wb_window wb_hostlink wb_testsupport Qt::Test)
set_target_properties(tst_accessibility PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
add_test(NAME tst_accessibility COMMAND ${PROJECT_SOURCE_DIR}/tests/support/a11y-session $<TARGET_FILE:tst_accessibility>)
set_tests_properties(tst_accessibility PROPERTIES TIMEOUT 300
    ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
# The built browser through the accessibility bus, as a screen reader meets it.
add_executable(tst_atspi window/tst_atspi.cpp)
target_link_libraries(tst_atspi PRIVATE wb_testsupport wb_webtestkit Qt::DBus Qt::Test)
target_compile_definitions(tst_atspi PRIVATE WB_ATSPI_SCRIPT="${PROJECT_SOURCE_DIR}/tests/support/atspi.py")
set_target_properties(tst_atspi PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
add_dependencies(tst_atspi channel-web-browser)
add_test(NAME tst_atspi COMMAND ${PROJECT_SOURCE_DIR}/tests/support/a11y-session $<TARGET_FILE:tst_atspi>)
set_tests_properties(tst_atspi PROPERTIES TIMEOUT 300
    ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
# Web apps on an openbox desktop the test starts itself.
wb_test(window tst_webapps wb_webtestkit wb_testsupport)
add_dependencies(tst_webapps channel-web-browser)
set_tests_properties(tst_webapps PROPERTIES TIMEOUT 600)
# Links to other programs and files dropped from another program, on a desktop
# of its own with a stand-in for the desktop's opener.
add_executable(wb-dragsource window/dragsource.cpp)
target_link_libraries(wb-dragsource PRIVATE Qt::Widgets)
set_target_properties(wb-dragsource PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
wb_test(window tst_realhandoff wb_webtestkit wb_testsupport)
add_dependencies(tst_realhandoff channel-web-browser wb-dragsource)
target_compile_definitions(tst_realhandoff PRIVATE WB_DRAGSOURCE_PATH="$<TARGET_FILE:wb-dragsource>")
set_tests_properties(tst_realhandoff PROPERTIES TIMEOUT 600)
# Both time what a window manager does; two of them at once on two cores slow
# each other's desktops past their waits.
set_tests_properties(tst_realhandoff tst_realdesktop tst_webapps PROPERTIES RESOURCE_LOCK openbox-desktop)
# The page's own commands (zoom, print, PDF links, side buttons, the menu) in
# the built browser on a real X server, under its own xvfb-run; printed PDFs
# are read with poppler's pdfinfo and pdftotext.
add_executable(tst_realpage window/tst_realpage.cpp)
target_link_libraries(tst_realpage PRIVATE wb_testsupport wb_webtestkit Qt::Test)
set_target_properties(tst_realpage PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
add_dependencies(tst_realpage channel-web-browser)
add_test(NAME tst_realpage COMMAND xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" $<TARGET_FILE:tst_realpage>)
set_tests_properties(tst_realpage PROPERTIES TIMEOUT 600
    ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
# With another browser test busy beside it (printing and zooming here above
# all), openbox on the real desktops places and closes windows too late for
# their checks: the real desktops run with nothing beside them.
set_tests_properties(tst_realdesktop PROPERTIES RUN_SERIAL TRUE)
