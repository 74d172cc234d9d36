# Windows test programs, run by CTest through Wine (the cross-compiling
# emulator). scripts/test.sh provides WINEPREFIX and a display.
string(REPLACE "/" "\\" _tools_dir_win "Z:${TESSAROO_TOOLS_DIR}")
string(REPLACE "/" "\\" _npm_dir_win "Z:${TESSAROO_NPM_DIR}")
string(REPLACE "/" "\\" _artifacts_win "Z:${CMAKE_BINARY_DIR}/artifacts")
string(REPLACE "/" "\\" _fixtures_win "Z:${CMAKE_BINARY_DIR}/fixtures")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/artifacts)
set(TESSAROO_TEST_ENV
  "TESSAROO_TOOLS_DIR=${_tools_dir_win}"
  "TESSAROO_NPM_DIR=${_npm_dir_win}"
  "TESSAROO_ARTIFACTS=${_artifacts_win}"
  "TESSAROO_FIXTURES=${_fixtures_win}")

# A console program the runner tests start through cmd.exe: prints, sleeps,
# writes to standard error, and stands in for a helper tool by name.
add_executable(emit tests/win/tools/Emit.cpp)
# Stands in for planted attacker code: under any name it appends its command
# line to %TEMP%\tessaroo-payload.marker, which the tests expect never to see.
add_executable(payload tests/win/tools/Payload.cpp)
# Runs one tool through the program's console runner, for the test that ends
# a program while its tool runs.
add_executable(runnerhost tests/win/tools/RunnerHost.cpp)
target_link_libraries(runnerhost PRIVATE tessaroo_win)
# Reads the clipboard from a second process and prints what it finds.
add_executable(clipread tests/win/tools/ClipRead.cpp)
# A second program accepting OLE drops, for the real drag-out test.
add_executable(dropcatcher WIN32 tests/win/tools/DropCatcher.cpp)
target_include_directories(dropcatcher PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dropcatcher PRIVATE ole32 shell32 uuid)
# A second program that drags a file onto the real window.
add_executable(dragsender WIN32 tests/win/tools/DragSender.cpp)
target_include_directories(dragsender PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dragsender PRIVATE tessaroo_win)

add_library(win_test_support STATIC tests/win/TestSupport.cpp)
target_include_directories(win_test_support PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(win_test_support PUBLIC tessaroo_win test_images GTest::gtest)

add_executable(win_tests
  tests/win/ConsoleRunner_test.cpp
  tests/win/FileIo_test.cpp
  tests/win/HelperTools_test.cpp
  tests/win/ImageCodec_test.cpp
  tests/win/Output_test.cpp
  tests/win/MatcherCodecs_win.cpp
  tests/win/ApkPipeline_test.cpp
  tests/win/BundlePipeline_test.cpp
  tests/win/DrawnIcon_test.cpp
  tests/win/IpaPipeline_test.cpp
  tests/win/MsixPipeline_test.cpp
  tests/win/Installers_test.cpp
  tests/win/LinuxPackages_test.cpp
  tests/win/MacAndWeb_test.cpp
  tests/win/Batch_test.cpp
  tests/win/RealPackages_test.cpp
  tests/win/Intake_test.cpp
  tests/win/Hostile_test.cpp
  tests/win/DragOut_test.cpp
  tests/win/PipelineHarness.cpp
  tests/shared/PatternMatcher_test.cpp
  # The portable renderer again, on the cross-built cairo and pixman.
  tests/native/DrawableRender_test.cpp
)
target_link_libraries(win_tests PRIVATE win_test_support GTest::gtest_main version oleacc)
add_dependencies(win_tests emit clipread payload runnerhost Tessaroo tessaroo-cli)

# Tests that start or end helper-tool processes share one Wine process table.
add_test(NAME win_tests COMMAND win_tests)
set_tests_properties(win_tests PROPERTIES ENVIRONMENT "${TESSAROO_TEST_ENV}"
  RESOURCE_LOCK wine_processes TIMEOUT 300)

# The same program again, whole, with the Chinese system code page (936):
# no test can drop out of this run by being renamed.
add_test(NAME win_tests_cp936 COMMAND win_tests)
set_tests_properties(win_tests_cp936 PROPERTIES ENVIRONMENT "${TESSAROO_TEST_ENV};LC_ALL=zh_CN.UTF-8"
  RESOURCE_LOCK wine_processes TIMEOUT 300)

# File names in any language, in a test program that carries the program's
# UTF-8 manifest, under the Western and the Chinese system code page.
file(WRITE ${CMAKE_BINARY_DIR}/Utf8Manifest.rc "1 24 \"${TESSAROO_MANIFEST}\"\n")
set_source_files_properties(${CMAKE_BINARY_DIR}/Utf8Manifest.rc PROPERTIES OBJECT_DEPENDS "${TESSAROO_MANIFEST}")
add_executable(unicode_tests tests/win/Unicode_test.cpp tests/win/PipelineHarness.cpp ${CMAKE_BINARY_DIR}/Utf8Manifest.rc)
target_link_libraries(unicode_tests PRIVATE win_test_support GTest::gtest_main)
add_dependencies(unicode_tests Tessaroo tessaroo-cli fixtures)
add_test(NAME unicode_tests COMMAND unicode_tests)
set_tests_properties(unicode_tests PROPERTIES ENVIRONMENT "${TESSAROO_TEST_ENV}"
  RESOURCE_LOCK wine_processes TIMEOUT 300)
add_test(NAME unicode_tests_cp936 COMMAND unicode_tests)
set_tests_properties(unicode_tests_cp936 PROPERTIES ENVIRONMENT "${TESSAROO_TEST_ENV};LC_ALL=zh_CN.UTF-8"
  RESOURCE_LOCK wine_processes TIMEOUT 300)

# The real window program, driven from outside under Xvfb.
add_executable(gui_tests tests/gui/MainWindow_guitest.cpp ${CMAKE_BINARY_DIR}/Utf8Manifest.rc)
target_link_libraries(gui_tests PRIVATE win_test_support GTest::gtest_main oleacc)
add_dependencies(gui_tests Tessaroo dropcatcher dragsender fixtures)
add_test(NAME gui_tests COMMAND gui_tests)
set_tests_properties(gui_tests PROPERTIES ENVIRONMENT "${TESSAROO_TEST_ENV}"
  RESOURCE_LOCK wine_processes TIMEOUT 300)
add_test(NAME gui_tests_cp936 COMMAND gui_tests)
set_tests_properties(gui_tests_cp936 PROPERTIES ENVIRONMENT "${TESSAROO_TEST_ENV};LC_ALL=zh_CN.UTF-8"
  RESOURCE_LOCK wine_processes TIMEOUT 300)
# The window on a 144-dpi (150 %) screen: the high-DPI tests of the same
# program, with Wine's DPI switched in the registry for the run and put back.
add_test(NAME gui_tests_144dpi COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/at-dpi.sh 144
  $<TARGET_FILE:gui_tests> --gtest_filter=HighDpi*)
set_tests_properties(gui_tests_144dpi PROPERTIES ENVIRONMENT "${TESSAROO_TEST_ENV};TESSAROO_SCREEN_DPI=144"
  RESOURCE_LOCK wine_processes TIMEOUT 300)

# Fixtures, each folder built by one of the tests' own scripts
# (tests/fixtures/SCRIPT OUTDIR [ARGS...]) with Debian's aapt, aapt2, cwebp
# and windres. DEPENDS: further files or targets the folder is made from.
set(TESSAROO_FIXTURES ${CMAKE_BINARY_DIR}/fixtures)
set(_fixture_stamps)
function(tessaroo_fixtures folder script comment)
  cmake_parse_arguments(PARSE_ARGV 3 F "" "" "ARGS;DEPENDS")
  add_custom_command(OUTPUT ${TESSAROO_FIXTURES}/${folder}/stamp
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/fixtures/${script} ${TESSAROO_FIXTURES}/${folder} ${F_ARGS}
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/${script} ${F_DEPENDS}
    COMMENT "Building ${comment}")
  set(_fixture_stamps ${_fixture_stamps} ${TESSAROO_FIXTURES}/${folder}/stamp PARENT_SCOPE)
endfunction()
tessaroo_fixtures(apk make_apks.py "Android package fixtures"
  ARGS ${TESSAROO_NPM_DIR}/io.appium.settings@8.0.10/apks/settings_apk-debug.apk)
tessaroo_fixtures(bundle make_bundles.py "Android split bundle fixtures"
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/make_apks.py)
tessaroo_fixtures(ipa make_ipas.py "iOS package fixtures"
  ARGS ${TESSAROO_NPM_DIR}/cgbi-to-png@1.0.7/test/cgbi-image.png $<TARGET_FILE:payload> DEPENDS payload)
tessaroo_fixtures(exe make_exes.py "executable fixtures with windres")
tessaroo_fixtures(msix make_msix.py "Windows app package fixtures")
set(_images ${CMAKE_SOURCE_DIR}/tests/fixtures/fixture_images.py)
tessaroo_fixtures(installer make_installers.py "installer fixtures with wixl"
  ARGS ${TESSAROO_FIXTURES}/exe/eight-then-32.exe DEPENDS ${TESSAROO_FIXTURES}/exe/stamp ${_images})
tessaroo_fixtures(linux make_linux.py "Linux package fixtures with dpkg-deb, rpmbuild and mksquashfs" DEPENDS ${_images})
tessaroo_fixtures(mac make_mac_web.py "macOS app and browser extension fixtures with png2icns" DEPENDS ${_images})
tessaroo_fixtures(drawn make_drawables.py "drawn Android icon fixtures with aapt2")
# Real Debian 12 packages (apt-get download, pinned digests), kept between
# builds, and their expected icons.
tessaroo_fixtures(real-deb fetch_debs.py "real Debian packages with apt-get download")
# The costly files make bench measures, made by the bench's own script from
# the fixture scripts' helpers; the Windows tests check what each ends in.
add_custom_command(OUTPUT ${TESSAROO_FIXTURES}/hostile/stamp
  COMMAND python3 ${CMAKE_SOURCE_DIR}/bench/make_hostile.py ${TESSAROO_FIXTURES}/hostile
  DEPENDS ${CMAKE_SOURCE_DIR}/bench/make_hostile.py ${CMAKE_SOURCE_DIR}/tests/fixtures/make_apks.py
    ${CMAKE_SOURCE_DIR}/tests/fixtures/make_drawables.py ${CMAKE_SOURCE_DIR}/tests/fixtures/make_mac_web.py ${_images}
  COMMENT "Building the costly hostile files")
list(APPEND _fixture_stamps ${TESSAROO_FIXTURES}/hostile/stamp)
add_custom_target(fixtures ALL DEPENDS ${_fixture_stamps})

# The executable route against icoutils' own reading of Wine's programs.
add_test(NAME exe_crosscheck COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/fixtures/crosscheck_exes.py
  ${CMAKE_BINARY_DIR}/tessaroo-cli.exe)
set_tests_properties(exe_crosscheck PROPERTIES RESOURCE_LOCK wine_processes TIMEOUT 300)
# The SVG reader and renderer against Debian's rsvg-convert on real icons.
add_test(NAME svg_crosscheck COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/fixtures/crosscheck_svgs.py
  ${CMAKE_BINARY_DIR}/tessaroo-cli.exe ${CMAKE_BINARY_DIR}/svg-icons ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(svg_crosscheck PROPERTIES RESOURCE_LOCK wine_processes TIMEOUT 300)
add_dependencies(win_tests fixtures)
