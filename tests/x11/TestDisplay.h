#pragma once

namespace tivrel::test {

// Sets DISPLAY to the server CTest started (tivrel-x-session writes its name into the file that
// TIVREL_X11_DISPLAY_FILE names). Run by hand, the tests use DISPLAY as it is set. False,
// with the reason printed, when there is no server to use.
bool useTestDisplay();

// True when the test program was only asked to list its tests (discovery at build time,
// where no server runs).
bool listingTestsOnly();

} // namespace tivrel::test
