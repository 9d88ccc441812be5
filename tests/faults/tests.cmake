# SPDX-License-Identifier: Apache-2.0
# Helpers of the fault tests: a host that can be killed or made to flood, and
# the browser's own main() with a user who opens Download History at once.
add_executable(faulthost faults/faulthost.cpp)
target_link_libraries(faulthost PRIVATE wb_common Qt::Network Qt::Gui)
set_target_properties(faulthost PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)

add_executable(browser-opening-history ${PROJECT_SOURCE_DIR}/app/main.cpp faults/openhistory.cpp)
target_link_libraries(browser-opening-history PRIVATE wb_hostlink wb_window wb_config wb_resources Qt::DBus)
target_compile_definitions(browser-opening-history PRIVATE WB_VERSION="${PROJECT_VERSION}")
set_target_properties(browser-opening-history PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)

# The real browser against hosts that die, fall silent or hang up mid-work.
wb_test(faults tst_hostfaults wb_webtestkit wb_testsupport Qt::WebChannel)
target_compile_definitions(tst_hostfaults PRIVATE
    WB_BROWSER_PATH="$<TARGET_FILE:channel-web-browser>"
    WB_FAULTHOST_PATH="$<TARGET_FILE:faulthost>"
    WB_HISTORY_BROWSER_PATH="$<TARGET_FILE:browser-opening-history>")
add_dependencies(tst_hostfaults channel-web-browser faulthost browser-opening-history)

# The host link in this process under floods and huge messages from faulthost.
wb_test(faults tst_hostflood wb_window wb_hostlink)
target_compile_definitions(tst_hostflood PRIVATE WB_FAULTHOST_PATH="$<TARGET_FILE:faulthost>")
add_dependencies(tst_hostflood faulthost)
