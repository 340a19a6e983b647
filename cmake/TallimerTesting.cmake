include(GoogleTest)
# tallimer_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [QT])
# One GoogleTest executable per call. With QT, the test's main creates an offscreen
# QApplication first, so widgets, fonts and the clipboard work without a display.
function(tallimer_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE tallimer_test_qtmain Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock ${T_LIBS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan.supp;ASAN_OPTIONS=detect_leaks=1")
endfunction()
