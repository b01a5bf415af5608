# Libraries every part of the main program may use.
set(ORLIX_COMMON_LIBS
  Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::Charts Qt6::Network
  PkgConfig::MARIADB PkgConfig::ODBCINST PkgConfig::CURL PkgConfig::LIBZIP PkgConfig::QRENCODE
  PkgConfig::LIBXML2 PkgConfig::XMLSEC PkgConfig::XLSXWRITER PkgConfig::OPENSSL)

# A subsystem folder is one object library built from every source file in it
# (sub-folders included), so new units need no CMake edits.
function(orlix_subsystem name)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${name}/*.cpp ${CMAKE_SOURCE_DIR}/${name}/*.h)
  if(NOT srcs)
    return()
  endif()
  add_library(orlix_${name} OBJECT ${srcs})
  target_link_libraries(orlix_${name} PUBLIC ${ORLIX_COMMON_LIBS})
  target_include_directories(orlix_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_precompile_headers(orlix_${name} REUSE_FROM orlix_pch)
endfunction()

# One GoogleTest executable per test folder; each test case is its own CTest entry.
function(orlix_test_folder name)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h)
  if(NOT srcs)
    return()
  endif()
  add_executable(test-${name} ${srcs})
  set_target_properties(test-${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(test-${name} PRIVATE orlix_test_support orlix Qt6::Test GTest::gtest GTest::gmock)
  # The synthetic ISP generator of bench/ doubles as a fixture.
  if(EXISTS ${CMAKE_SOURCE_DIR}/bench/common)
    target_link_libraries(test-${name} PRIVATE orlix_bench_common)
  endif()
  target_precompile_headers(test-${name} REUSE_FROM orlix_pch)
  gtest_discover_tests(test-${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
