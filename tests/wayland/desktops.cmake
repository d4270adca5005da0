# The window the clicks land on (a native Wayland client), and the headless desktops the tests
# and the GNOME benchmark run the program on. Included once, by whichever comes first.
include_guard(GLOBAL)
find_package(Qt6 REQUIRED COMPONENTS DBus)
if(NOT TARGET tivrel_x_harness)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/harness ${PROJECT_BINARY_DIR}/tests/harness)
endif()

add_executable(tivrel-wayland-recorder ${CMAKE_CURRENT_LIST_DIR}/WaylandRecorder.cpp)
target_link_libraries(tivrel-wayland-recorder PRIVATE Qt6::Widgets)

# KWin's fake input, the test's hand on KWin, whose client code wayland-scanner writes from
# the protocol file of plasma-wayland-protocols.
find_package(PlasmaWaylandProtocols QUIET)
set(TIVREL_FAKE_INPUT_PROTOCOL ${PLASMA_WAYLAND_PROTOCOLS_DIR}/fake-input.xml)
if(NOT PlasmaWaylandProtocols_FOUND OR NOT EXISTS ${TIVREL_FAKE_INPUT_PROTOCOL})
  message(WARNING "fake-input.xml not found (plasma-wayland-protocols): no GNOME or KDE tests")
  return()
endif()
pkg_get_variable(TIVREL_WAYLAND_SCANNER wayland-scanner wayland_scanner)
set(TIVREL_FAKE_INPUT_GENERATED ${PROJECT_BINARY_DIR}/tests/wayland/fake-input)
add_custom_command(
  OUTPUT ${TIVREL_FAKE_INPUT_GENERATED}/fake-input-client.h
         ${TIVREL_FAKE_INPUT_GENERATED}/fake-input-protocol.c
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TIVREL_FAKE_INPUT_GENERATED}
  COMMAND ${TIVREL_WAYLAND_SCANNER} client-header ${TIVREL_FAKE_INPUT_PROTOCOL}
          ${TIVREL_FAKE_INPUT_GENERATED}/fake-input-client.h
  COMMAND ${TIVREL_WAYLAND_SCANNER} private-code ${TIVREL_FAKE_INPUT_PROTOCOL}
          ${TIVREL_FAKE_INPUT_GENERATED}/fake-input-protocol.c
  DEPENDS ${TIVREL_FAKE_INPUT_PROTOCOL}
  COMMENT "Generating KWin's fake input client code"
  VERBATIM)

add_library(tivrel_fake_input_protocol STATIC
  ${TIVREL_FAKE_INPUT_GENERATED}/fake-input-client.h
  ${TIVREL_FAKE_INPUT_GENERATED}/fake-input-protocol.c
)
set_target_properties(tivrel_fake_input_protocol PROPERTIES AUTOMOC OFF)
target_include_directories(tivrel_fake_input_protocol PUBLIC ${TIVREL_FAKE_INPUT_GENERATED})
target_link_libraries(tivrel_fake_input_protocol PUBLIC tivrel_wayland_protocol)

# The headless desktops of their own for each case, and what the tests do on them:
# PrivateDesktop (a private bus, the desktop portal, the portal's dialogs answered through
# AT-SPI by portal-dialog.py) under MutterSession (mutter and PipeWire, mutter's own remote
# desktop as the test's hand) and KWinSession (KWin and PipeWire, KWin's fake input as the
# hand), and XWaylandTestSession (either with XWayland, for the program's driver).
add_library(tivrel_wayland_desktops STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CompositorHand.h
  ${CMAKE_CURRENT_LIST_DIR}/KWinFakeInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KWinFakeInput.h
  ${CMAKE_CURRENT_LIST_DIR}/KWinSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KWinSession.h
  ${CMAKE_CURRENT_LIST_DIR}/MutterPointer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MutterPointer.h
  ${CMAKE_CURRENT_LIST_DIR}/MutterSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MutterSession.h
  ${CMAKE_CURRENT_LIST_DIR}/PortalDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalDialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/PrivateDesktop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrivateDesktop.h
  ${CMAKE_CURRENT_LIST_DIR}/RecorderProcess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecorderProcess.h
  ${CMAKE_CURRENT_LIST_DIR}/ScreenCastMouse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenCastMouse.h
  ${CMAKE_CURRENT_LIST_DIR}/XWaylandTestSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/XWaylandTestSession.h
  ${CMAKE_CURRENT_LIST_DIR}/X11SocketFolder.h
)
target_include_directories(tivrel_wayland_desktops PUBLIC ${CMAKE_CURRENT_LIST_DIR}
                           ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tests/harness)
target_link_libraries(tivrel_wayland_desktops PUBLIC tivrel_core tivrel_x_harness Qt6::DBus
                      tivrel_fake_input_protocol)
target_compile_definitions(tivrel_wayland_desktops PRIVATE
  TIVREL_LIBRARY_ARCHITECTURE="${CMAKE_LIBRARY_ARCHITECTURE}"
  TIVREL_WAYLAND_RECORDER="$<TARGET_FILE:tivrel-wayland-recorder>"
  TIVREL_PORTAL_DIALOG_SCRIPT="${CMAKE_CURRENT_LIST_DIR}/portal-dialog.py")
add_dependencies(tivrel_wayland_desktops tivrel-wayland-recorder)

