#pragma once

#include <cstdint>

namespace tivrel {

// The remote desktop's pointer device bit and the screen cast's "cursor as metadata" mode,
// as the probe looks for them and a session asks for them.
inline constexpr std::uint32_t kPortalPointerDevice = 2;
inline constexpr std::uint32_t kPortalCursorAsMetadata = 4;

// What the session bus's desktop portal offers for clicking, and whether KWin's scripting
// answers there, asked before Qt starts and without showing the user anything: the program
// chooses how it clicks and how it watches the pointer from it.
struct PortalOffer {
    bool pointer = false;      // a remote desktop with a pointer device
    bool cursorAsData = false; // a screen cast that gives the cursor's place as data
    // The remote desktop's version: from 2 on it keeps grants and hands out an input socket
    // (ConnectToEIS).
    std::uint32_t remoteDesktopVersion = 0;
    // The global shortcuts' version (the start/stop key), 0 where the portal has none.
    std::uint32_t globalShortcuts = 0;
    // KWin's scripting answers on the same bus (KDE): the pointer watch is a KWin script.
    bool kwinScripting = false;
};

PortalOffer probeDesktopPortal();

} // namespace tivrel
