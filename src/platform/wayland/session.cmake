# The Wayland display session: clicks through the desktop portal's remote desktop (GNOME, KDE
# and others), or through the virtual pointer protocol of wlroots compositors (sway and its
# kin), whose client code wayland-scanner writes from the protocol file.
pkg_check_modules(WaylandClient REQUIRED IMPORTED_TARGET wayland-client)
# GNOME's pointer watch reads the cursor from a screen cast stream.
pkg_check_modules(PipeWire REQUIRED IMPORTED_TARGET libpipewire-0.3)
pkg_get_variable(TIVREL_WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT TIVREL_WAYLAND_SCANNER)
  message(FATAL_ERROR "wayland-scanner not found (libwayland-dev); or turn off TIVREL_WAYLAND.")
endif()

set(TIVREL_WAYLAND_PROTOCOL ${CMAKE_CURRENT_LIST_DIR}/wlr-virtual-pointer.xml)
set(TIVREL_WAYLAND_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
add_custom_command(
  OUTPUT ${TIVREL_WAYLAND_GENERATED}/wlr-virtual-pointer-client.h
         ${TIVREL_WAYLAND_GENERATED}/wlr-virtual-pointer-protocol.c
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TIVREL_WAYLAND_GENERATED}
  COMMAND ${TIVREL_WAYLAND_SCANNER} client-header ${TIVREL_WAYLAND_PROTOCOL}
          ${TIVREL_WAYLAND_GENERATED}/wlr-virtual-pointer-client.h
  COMMAND ${TIVREL_WAYLAND_SCANNER} private-code ${TIVREL_WAYLAND_PROTOCOL}
          ${TIVREL_WAYLAND_GENERATED}/wlr-virtual-pointer-protocol.c
  DEPENDS ${TIVREL_WAYLAND_PROTOCOL}
  COMMENT "Generating the virtual pointer's Wayland client code"
  VERBATIM)

# The Wayland tests drive their own virtual pointer with the same code.
add_library(tivrel_wayland_protocol STATIC
  ${TIVREL_WAYLAND_GENERATED}/wlr-virtual-pointer-client.h
  ${TIVREL_WAYLAND_GENERATED}/wlr-virtual-pointer-protocol.c
)
set_target_properties(tivrel_wayland_protocol PROPERTIES AUTOMOC OFF)
target_include_directories(tivrel_wayland_protocol PUBLIC ${TIVREL_WAYLAND_GENERATED})
target_link_libraries(tivrel_wayland_protocol PUBLIC PkgConfig::WaylandClient)

target_sources(tivrel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WlrootsMouse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WlrootsMouse.h
  ${CMAKE_CURRENT_LIST_DIR}/ScreenCastPointerWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenCastPointerWatch.h
  ${CMAKE_CURRENT_LIST_DIR}/WaylandSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KWinScriptPointerWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KWinScriptPointerWatch.h
  ${CMAKE_CURRENT_LIST_DIR}/GlobalShortcutsKey.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlobalShortcutsKey.h
  ${CMAKE_CURRENT_LIST_DIR}/PortalMouse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalMouse.h
  ${CMAKE_CURRENT_LIST_DIR}/PortalProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalProbe.h
  ${CMAKE_CURRENT_LIST_DIR}/PortalRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalRegistry.h
  ${CMAKE_CURRENT_LIST_DIR}/PortalRequests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalRequests.h
  ${CMAKE_CURRENT_LIST_DIR}/PortalSession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalSession.h
  ${CMAKE_CURRENT_LIST_DIR}/PortalWords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortalWords.h
  ${CMAKE_CURRENT_LIST_DIR}/RemoteDesktopPortal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RemoteDesktopPortal.h
  ${CMAKE_CURRENT_LIST_DIR}/ShortcutTrigger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShortcutTrigger.h
)
# Where libei is found (Debian 13 on), the portal session's buttons go through the
# compositor's input socket (EIS) when the portal hands one out; the portal's D-Bus calls
# carry them otherwise, and in a build without it.
pkg_check_modules(Libei QUIET IMPORTED_TARGET libei-1.0)
if(Libei_FOUND)
  message(STATUS "libei ${Libei_VERSION}: portal clicks through the compositor's input socket")
  target_sources(tivrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/LibeiButtons.cpp)
  target_link_libraries(tivrel_core PRIVATE PkgConfig::Libei)
else()
  message(STATUS "libei not found: portal clicks through D-Bus only")
  target_sources(tivrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/WithoutLibei.cpp)
endif()
target_sources(tivrel_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/EisButtons.h)
# The portal knows the program by its desktop file's id.
target_compile_definitions(tivrel_core PRIVATE TIVREL_APP_ID="${TIVREL_APP_ID}")
# The portal's remote desktop and KWin's scripting through QtDBus once Qt runs; before, libdbus
# asks what the portal offers. The tests reach both on buses of their own.
find_package(Qt6 REQUIRED COMPONENTS DBus)
target_link_libraries(tivrel_core PRIVATE tivrel_wayland_protocol PkgConfig::DBus
                      PkgConfig::PipeWire)
target_link_libraries(tivrel_core PUBLIC Qt6::DBus)
tivrel_display_session(waylandDisplaySession)
