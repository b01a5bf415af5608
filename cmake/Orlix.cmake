# The layers of the main program, each its own static library that links only
# the layers below it:
#   orlix_platform     platform/ stand-ins: Qt Core/Gui/Network, no core
#   orlix_core         data access, settings, log, rules: no widgets
#   orlix_platform_ui  stand-ins that need widgets or printers
#   orlix_core_ui      the windows of core
#   orlix              the subsystems (mainwindow, billing, ksef, ...), then app/
# A layer compiles against an include root that holds only its own folders and
# those below it (links in the build folder), and against the Qt modules of
# its level only, so an include that points upward fails the build.

set(ORLIX_LOW_QT Qt6::Core Qt6::Gui Qt6::Network)
set(ORLIX_UI_QT Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::Charts Qt6::Network)
set(ORLIX_PLATFORM_LIBS
  PkgConfig::ODBCINST PkgConfig::CURL PkgConfig::CARES PkgConfig::LIBZIP PkgConfig::QRENCODE PkgConfig::LIBXML2
  PkgConfig::XMLSEC PkgConfig::XLSXWRITER PkgConfig::OPENSSL)
# Libraries every subsystem may use.
set(ORLIX_COMMON_LIBS ${ORLIX_UI_QT} PkgConfig::MARIADB ${ORLIX_PLATFORM_LIBS})

# Units of platform/ that need Qt Widgets or PrintSupport (the printers, the
# foreground window, the taskbar, the bell): they build one layer up.
set(ORLIX_PLATFORM_UI_UNITS DefaultPrinter ForegroundWindow PdfPrinter SystemSound TaskbarFlash)

# The windows of core (and the units that drive widgets directly): everything
# else in core/ builds widget-free. A new window unit of core goes here.
set(ORLIX_CORE_UI_UNITS
  Application DateTimePicker DialogPL FormEx FormLogo Funkcje2Ui GripPanel LogTemp LogiLista Logowanie
  ListWindow MagazynBlob OperatorDodaj OperatorLista OperatorZmienHaslo PodmiotyCombo QueryModel SpeedButtonEx
  ThemedLabel ThemedPanel ThemedSeparator ZmienneTekstowe)


# An include root in the build folder: links to the named folders or files of
# the source tree, nothing else.
function(orlix_include_root root)
  set(dir ${CMAKE_BINARY_DIR}/layers/${root})
  file(MAKE_DIRECTORY ${dir})
  foreach(entry ${ARGN})
    get_filename_component(parent ${dir}/${entry} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${dir}/${entry})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${entry} ${dir}/${entry} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# Sources of a folder (sub-folders included), so new units need no CMake edits.
function(orlix_glob out folder)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# Splits srcs into the units named (file name without extension) and the rest.
function(orlix_split_units srcs units named_out rest_out)
  set(named)
  set(rest)
  foreach(f ${srcs})
    get_filename_component(n ${f} NAME_WE)
    if(n IN_LIST units)
      list(APPEND named ${f})
    else()
      list(APPEND rest ${f})
    endif()
  endforeach()
  set(${named_out} ${named} PARENT_SCOPE)
  set(${rest_out} ${rest} PARENT_SCOPE)
endfunction()

function(orlix_layer name root pch)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/layers/${root})
  target_precompile_headers(${name} REUSE_FROM ${pch})
  target_link_libraries(${name} PRIVATE orlix_warnings)
endfunction()

# The layers below the subsystems.
function(orlix_lower_layers)
  orlix_include_root(platform platform)
  orlix_include_root(core platform core)

  orlix_glob(platform_srcs platform)
  orlix_split_units("${platform_srcs}" "${ORLIX_PLATFORM_UI_UNITS}" platform_ui_srcs platform_low_srcs)
  orlix_glob(core_srcs core)
  orlix_split_units("${core_srcs}" "${ORLIX_CORE_UI_UNITS}" core_ui_srcs core_low_srcs)

  orlix_layer(orlix_platform platform orlix_pch_low ${platform_low_srcs})
  target_link_libraries(orlix_platform PUBLIC ${ORLIX_LOW_QT} ${ORLIX_PLATFORM_LIBS})

  orlix_layer(orlix_core core orlix_pch_low ${core_low_srcs})
  target_link_libraries(orlix_core PUBLIC orlix_platform PkgConfig::MARIADB)

  orlix_layer(orlix_platform_ui platform orlix_pch ${platform_ui_srcs})
  target_link_libraries(orlix_platform_ui PUBLIC orlix_platform ${ORLIX_UI_QT})

  orlix_layer(orlix_core_ui core orlix_pch ${core_ui_srcs})
  target_link_libraries(orlix_core_ui PUBLIC orlix_core orlix_platform_ui ${ORLIX_UI_QT})
endfunction()

# A subsystem folder is one object library built from every source file in it
# (sub-folders included); the subsystems may call each other.
function(orlix_subsystem name)
  orlix_glob(srcs ${name})
  if(NOT srcs)
    return()
  endif()
  add_library(orlix_${name} OBJECT ${srcs})
  target_link_libraries(orlix_${name} PUBLIC orlix_core_ui ${ORLIX_COMMON_LIBS} PRIVATE orlix_warnings)
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
  target_link_libraries(test-${name} PRIVATE orlix_test_support orlix Qt6::Test GTest::gtest GTest::gmock
                                             orlix_warnings)
  # The synthetic ISP generator of bench/ doubles as a fixture.
  if(EXISTS ${CMAKE_SOURCE_DIR}/bench/common)
    target_link_libraries(test-${name} PRIVATE orlix_bench_common)
  endif()
  target_precompile_headers(test-${name} REUSE_FROM orlix_pch)
  # Listing the tests of a sanitizer build on a busy machine takes more than the default 5 s.
  gtest_discover_tests(test-${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
