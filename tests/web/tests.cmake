# SPDX-License-Identifier: Apache-2.0
find_package(OpenSSL REQUIRED)
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(CPPHTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

# Loopback page server and page helpers shared by the web tests.
add_library(wb_webtestkit STATIC ${CMAKE_CURRENT_LIST_DIR}/webtestkit.h ${CMAKE_CURRENT_LIST_DIR}/webtestkit.cpp)
target_include_directories(wb_webtestkit PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(wb_webtestkit
    PUBLIC wb_common Qt::WebEngineWidgets Qt::Test
    PRIVATE PkgConfig::CPPHTTPLIB OpenSSL::SSL OpenSSL::Crypto Threads::Threads)

wb_test(web tst_vellchatwebview wb_web wb_webtestkit)
wb_test(web tst_vellwebenginepage wb_web wb_webtestkit)
wb_test(web tst_vellwebengineurlrequestinterceptor wb_web wb_webtestkit)
wb_test(web tst_velljsbridge wb_web wb_webtestkit)
wb_test(web tst_scratchfolder wb_web)
wb_test(web tst_pagedownloads wb_web)
