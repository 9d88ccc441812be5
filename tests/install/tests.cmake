# SPDX-License-Identifier: Apache-2.0
# The installed tree and the Debian package, checked the way an integrator
# meets them. They share the build's install step, so they never run at the
# same time. A sanitized build is no package: an example built without the
# sanitizer cannot load a library built with it.
if(WB_SANITIZE)
    return()
endif()
find_package(X11 REQUIRED)
add_executable(tst_installed install/tst_installed.cpp install/xclose.h install/xclose.cpp)
target_link_libraries(tst_installed PRIVATE wb_common ChannelWebBrowser::Host wb_webtestkit X11::X11 Qt::Test)
target_compile_definitions(tst_installed PRIVATE WB_VERSION="${PROJECT_VERSION}"
    WB_HOST_LIBRARY="${WB_HOST_LIBRARY}" WB_HOST_PACKAGE="${WB_HOST_PACKAGE}")
set_target_properties(tst_installed PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
add_test(NAME tst_installed COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check-install.sh ${PROJECT_BINARY_DIR} $<TARGET_FILE:tst_installed>)
add_test(NAME tst_package COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check-package.sh ${PROJECT_BINARY_DIR})
set_tests_properties(tst_installed tst_package PROPERTIES TIMEOUT 600 RESOURCE_LOCK build_install_step)
set_tests_properties(tst_installed PROPERTIES
    ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;QT_LOGGING_RULES=default.debug=false")
