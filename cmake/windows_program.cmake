# The Windows program: its Win32 parts as a library (so the Wine tests link
# them), the resources, and KVR2840E.exe.
add_library(kvr_win STATIC
  app/ui_text.cpp
  app/config_file.cpp
  app/port_list.cpp
  app/main_window.cpp
  app/comm_dialogs.cpp
  link/message_box_win32.cpp
  link/serial_link.cpp
  link/tcp_link.cpp
  app/tcp_dialogs.cpp
  dialogs/routing/channel_table.cpp
  dialogs/routing/video_output.cpp
  dialogs/routing/display_pattern.cpp
  files/file_dialogs_win32.cpp
)
target_link_libraries(kvr_win PUBLIC kvr_core comctl32 comdlg32 ws2_32 gdi32 user32 advapi32)
target_compile_options(kvr_win PRIVATE ${KVR_WARNINGS})
target_compile_definitions(kvr_win PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

add_executable(KVR2840E WIN32 app/main.cpp resources/kvr2840e.rc)
target_link_libraries(KVR2840E PRIVATE kvr_win)
target_compile_options(KVR2840E PRIVATE ${KVR_WARNINGS})
if(MINGW)
  target_link_options(KVR2840E PRIVATE -municode)
endif()
set_source_files_properties(resources/kvr2840e.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/resources/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/resources/kvr2840e.manifest;${CMAKE_CURRENT_SOURCE_DIR}/resources/kvr2840e.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/comm_dialogs.rc;${CMAKE_CURRENT_SOURCE_DIR}/resources/tcp_dialogs.rc;${CMAKE_CURRENT_SOURCE_DIR}/resources/table_dialogs.rc")
