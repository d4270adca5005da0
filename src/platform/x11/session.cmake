# The X11 display session: X servers and XWayland. Clicks through XTEST, the pointer watched
# through XInput 2 raw motion, both over XCB; the window's stacking through EWMH; the
# start/stop key as a passive key grab on the root window.
pkg_check_modules(XcbXinput REQUIRED IMPORTED_TARGET xcb-xinput)
target_sources(tivrel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QuietButtonState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11Mouse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11PointerWatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11Session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11StartStopKey.cpp
  ${CMAKE_CURRENT_LIST_DIR}/X11WindowStacking.cpp
)
target_link_libraries(tivrel_core PRIVATE X11::X11 X11::xcb X11::xcb_xtest X11::xcb_xkb
                      PkgConfig::XcbXinput)
tivrel_display_session(x11DisplaySession)
