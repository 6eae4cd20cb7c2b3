# The tests built for Windows and run under wine: the test sources that are portable,
# found by compiling every one with mingw-w64. Left out, and why:
#   pty, fork, poll, signals or POSIX process control in the test itself or its support:
#     app/helvanta_process_test, app/faketime_process_test (libfaketime),
#     link/polling_cycle_test, serial/port_pty_test, serial/port_receive_test,
#     serial/termios_from_dcb_test,
#     serial/port_packet_test, serial/comdatapacket_reopen_test, service/service_tick_order_test,
#     service/helvanta_service_test, mqtt/mqtt_service_test, mqtt/mqtt_client_test,
#     mqtt/mqtt_process_test, pvoutput/pvoutput_feed_test, text/gzip_test, web/web_server_test,
#     web/web_browser_test, web/metrics_prometheus_test, web/metrics_text_test and
#     web/web_feed_test (the POSIX HTTP client), service/service_installer_test,
#     service/service_messages_test (syslog), service/simulated_week_test, service/line_checks_test
#   Linux's own layout, compiled but untrue on Windows: config/file_locations_test (the
#     installed folders /usr/bin, /etc/helvanta), config/serial_devices_test (/dev and its
#     symbolic links), serial/port_device_test (COMn as /dev/ttyS<n-1>)
#   the locale fixture sets variables with setenv: link/codec_test,
#     logging/record_pattern_test, service/service_locale_test
#   the simulator's own tests: tools/sim is Linux-only.
#   tests of the Linux backends and of POSIX files (*_posix_test.cpp: a fifo, a pipe as a
#     watched handle, file modes and links); those of the Windows backends
#     (*_win32_test.cpp) join their folder's program. logging/log_record_test leaves out
#     on Windows its fifo and its full disk (a file size limit, rlimit).
# Cases that hold only for POSIX semantics carry the label emulator_unsafe, each with
# its reason; the windows test preset leaves them out.

# The folder's tests of its Windows backends.
function(helvanta_win32_tests out_var dir)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_win32_test.cpp)
  set(${out_var} ${tests} PARENT_SCOPE)
endfunction()
foreach(dir runtime link config logging history serial service mqtt pvoutput web app)
  helvanta_win32_tests(${dir}_win32_tests ${dir})
endforeach()

add_library(helvanta_test_support STATIC support/file_bytes.cpp support/running_as_root_win32.cpp
  support/temp_folder_win32.cpp)
target_include_directories(helvanta_test_support PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(helvanta_test_support PUBLIC helvanta_runtime GTest::gtest)

helvanta_add_test(runtime_tests
  SOURCES runtime/clock_test.cpp runtime/date_time_test.cpp runtime/sync_queue_test.cpp runtime/retry_schedule_test.cpp
    runtime/main_loop_test.cpp
    ${runtime_win32_tests}
  LIBS helvanta_runtime
  LABELS threaded)
helvanta_add_test(link_tests
  SOURCES link/answer_router_test.cpp link/measurands_test.cpp link/measurand_decodes_test.cpp
    ${link_win32_tests}
  LIBS helvanta_link)
helvanta_add_test(config_tests
  SOURCES config/ini_file_test.cpp config/ini_text_test.cpp config/time_of_day_test.cpp config/web_settings_test.cpp
    config/file_access_test.cpp config/language_test.cpp config/settings_test.cpp
    ${config_win32_tests}
  LIBS helvanta_config
  EMULATOR_UNSAFE
    # chmod on Windows sets or clears the read-only attribute only: it cannot make a
    # file unreadable, and a folder's read-only attribute does not stop writes into it.
    ReplaceFileContent.RefusesAReadOnlyFolder SettingsTest.FailedSaveIntoAReadOnlyFolder
    SettingsTest.UnreadableFileGivesDefaults LanguageList.UnreadableFileLeavesTheListEmpty
    # COMn is Windows' own port name; its /dev/ttyS<n-1> mapping is Linux's.
    SettingsTest.DeviceForPort)
helvanta_add_test(logging_tests
  SOURCES logging/template_lines_test.cpp logging/log_marks_test.cpp logging/record_gaps_test.cpp
    logging/log_record_test.cpp
    ${logging_win32_tests}
  LIBS helvanta_logging)
helvanta_add_test(history_tests
  SOURCES history/file_header_test.cpp history/history_import_test.cpp history/history_recorder_test.cpp
    history/history_store_test.cpp
    ${history_win32_tests}
  LIBS helvanta_history
  LABELS threaded
  EMULATOR_UNSAFE
    # wine run by root opens a file with the read-only attribute for writing, which
    # Windows refuses to everyone.
    HistoryStore.FaultsGiveAClearAnswerAndDamageIsMovedAside)
helvanta_add_test(serial_tests
  SOURCES serial/comdatapacket_binding_test.cpp serial/comdatapacket_test.cpp serial/component_test.cpp
    serial/dcb_test.cpp serial/port_settings_test.cpp
    ${serial_win32_tests}
  LIBS helvanta_serial
  LABELS threaded
  EMULATOR_UNSAFE
    # The error texts are Linux's (errno and strerror); Windows gives the win error code.
    EComPort.TextNumberAndCodeSuffix)
helvanta_add_test(service_tests
  SOURCES service/error_watch_test.cpp service/packaged_unit_test.cpp
    ${service_win32_tests}
  LIBS helvanta_service)
helvanta_add_test(mqtt_tests
  SOURCES mqtt/mqtt_payloads_test.cpp mqtt/mqtt_settings_test.cpp
    ${mqtt_win32_tests}
  LIBS helvanta_mqtt
  EMULATOR_UNSAFE
    # chmod's modes do not reach a Windows file's access list, which decides there who
    # can read the password.
    MqttSettingsTest.StartReportsUnreadableFilesAndAPasswordOthersCanRead)
helvanta_add_test(pvoutput_tests
  SOURCES pvoutput/pvoutput_requests_test.cpp pvoutput/pvoutput_settings_test.cpp
    ${pvoutput_win32_tests}
  LIBS helvanta_pvoutput helvanta_history)
helvanta_add_test(web_tests
  SOURCES web/history_api_test.cpp web/listen_socket_test.cpp web/login_guard_test.cpp
    ${web_win32_tests}
  LIBS helvanta_web
  LABELS threaded)
helvanta_add_test(app_tests
  SOURCES app/command_line_test.cpp
    ${app_win32_tests}
  LIBS helvanta_startup)
