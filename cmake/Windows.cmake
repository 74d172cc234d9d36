# The Windows build: the window program, its Win32 adapters, and the test
# programs that run under Wine.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# One executable, no DLL beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

set(TESSAROO_TOOLS_DIR "" CACHE PATH "Folder holding the five helper tool files")
if(NOT EXISTS "${TESSAROO_TOOLS_DIR}/pt.exe")
  message(FATAL_ERROR "Helper tools not found in '${TESSAROO_TOOLS_DIR}': run scripts/thirdparty.sh")
endif()

# comdlg32 is loaded at run time (output/FileDialog_win.cpp), not imported.
set(TESSAROO_SYSTEM_LIBS comctl32 shell32 ole32 oleaut32 uuid gdiplus gdi32 user32 advapi32 shlwapi)

add_library(tessaroo_win STATIC
  android/ApkBundleIcon_win.cpp
  android/ApkDrawnIcon_win.cpp
  android/ApkEntry_win.cpp
  android/ApkIcon_win.cpp
  app/Batch_win.cpp
  app/DropTarget_win.cpp
  app/ImportWorker_win.cpp
  app/Intake_win.cpp
  app/MainWindow_win.cpp
  app/Routes_win.cpp
  app/SaveAll_win.cpp
  app/RunDirectory_win.cpp
  app/Wildcards_win.cpp
  image/ImageCodec_win.cpp
  image/Picture_win.cpp
  image/PngNormalize_win.cpp
  ios/IpaIcon_win.cpp
  output/DragOut_win.cpp
  output/FileDialog_win.cpp
  output/PictureAccessible_win.cpp
  output/PictureBox_win.cpp
  output/ResultStrip_win.cpp
  output/SaveCopy_win.cpp
  output/SizeRow_win.cpp
  pictures/ImageFileIcon_win.cpp
  support/Dpi_win.cpp
  support/FileIo_win.cpp
  support/MessagePump_win.cpp
  support/TextCodec_win.cpp
  support/UserSettings_win.cpp
  tools/ArchiveEntry_win.cpp
  tools/ConsoleRunner_win.cpp
  tools/Extraction_win.cpp
  tools/HelperTools_win.cpp
  tools/ToolArgument_win.cpp
  tools/WebpConvert_win.cpp
  tools/WorkFolder_win.cpp
  windows/ExeIcon_win.cpp
  linux/LinuxPackageIcon_win.cpp
  macos/MacIcon_win.cpp
  web/ExtensionIcon_win.cpp
  windows/MsiIcon_win.cpp
  windows/MsixIcon_win.cpp
  windows/ShortcutIcon_win.cpp
)
target_link_libraries(tessaroo_win PUBLIC tessaroo_core ${TESSAROO_SYSTEM_LIBS})

set(TESSAROO_MANIFEST ${CMAKE_SOURCE_DIR}/app/Tessaroo.manifest)
# The program's icon, drawn at build time by the project's own script.
set(TESSAROO_ICON ${CMAKE_BINARY_DIR}/Tessaroo.ico)
add_custom_command(OUTPUT ${TESSAROO_ICON}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/make_app_icon.py ${TESSAROO_ICON}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_app_icon.py
  COMMENT "Drawing the program's icon")
add_custom_target(app_icon DEPENDS ${TESSAROO_ICON})
configure_file(app/Tessaroo.rc.in ${CMAKE_BINARY_DIR}/Tessaroo.rc @ONLY)
set(TESSAROO_TOOL_FILES
  ${TESSAROO_TOOLS_DIR}/pt.exe ${TESSAROO_TOOLS_DIR}/uz.exe ${TESSAROO_TOOLS_DIR}/za.exe
  ${TESSAROO_TOOLS_DIR}/dwebp.exe ${TESSAROO_TOOLS_DIR}/zlibwapi.dll)
set_source_files_properties(${CMAKE_BINARY_DIR}/Tessaroo.rc PROPERTIES
  OBJECT_DEPENDS "${TESSAROO_TOOL_FILES};${TESSAROO_MANIFEST};${TESSAROO_ICON}")

# Both programs carry the helper tools, megabytes of resources. Laid out in
# the file as in memory (4 KB alignment), the image is mapped by Wine's
# loader instead of being read whole at every start.
set(TESSAROO_PAGE_ALIGNED -Wl,--file-alignment,4096)
# A link map beside each program: scripts/dist.py reads from it every static
# library and runtime object that went in, and checks each has its notice.
function(tessaroo_link_map target)
  target_link_options(${target} PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/${target}.map)
endfunction()

add_executable(Tessaroo WIN32 app/WinMain_win.cpp ${CMAKE_BINARY_DIR}/Tessaroo.rc)
add_dependencies(Tessaroo app_icon)
target_include_directories(Tessaroo PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(Tessaroo PRIVATE tessaroo_win)
target_link_options(Tessaroo PRIVATE ${TESSAROO_PAGE_ALIGNED})
tessaroo_link_map(Tessaroo)

# The same pipelines behind a command line, for scripts and tests.
add_executable(tessaroo-cli app/CliMain_win.cpp ${CMAKE_BINARY_DIR}/Tessaroo.rc)
add_dependencies(tessaroo-cli app_icon)
target_include_directories(tessaroo-cli PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tessaroo-cli PRIVATE tessaroo_win)
target_compile_definitions(tessaroo-cli PRIVATE TESSAROO_VERSION="${PROJECT_VERSION}")
target_link_options(tessaroo-cli PRIVATE ${TESSAROO_PAGE_ALIGNED})
tessaroo_link_map(tessaroo-cli)

include(cmake/WindowsTests.cmake)

# Benchmarks (make bench): programs that print figures.
add_executable(minimal_window WIN32 bench/MinimalWindow.cpp)
add_executable(startup_bench bench/StartupBench.cpp)
add_executable(process_bench bench/ProcessBench.cpp)
target_include_directories(process_bench PRIVATE ${CMAKE_SOURCE_DIR})
add_executable(minimal_tool_runs bench/MinimalToolRuns.cpp)
add_executable(runner_bench bench/RunnerBench.cpp)
target_link_libraries(runner_bench PRIVATE tessaroo_win psapi)
add_executable(codec_bench bench/CodecBench.cpp)
target_link_libraries(codec_bench PRIVATE tessaroo_win test_images psapi)
add_executable(pipeline_bench bench/PipelineBench.cpp)
target_link_libraries(pipeline_bench PRIVATE tessaroo_win psapi)
add_executable(exe_bench bench/ExeBench.cpp)
target_link_libraries(exe_bench PRIVATE tessaroo_win psapi)
add_executable(hostile_bench bench/HostileBench.cpp)
target_include_directories(hostile_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(hostile_bench PRIVATE psapi)
