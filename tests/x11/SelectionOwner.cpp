// Tells whether an X selection has an owner, for the shell scripts that start the test
// session: a tray host is ready once it owns _NET_SYSTEM_TRAY_S<screen>.
//
//   tivrel-x-selection-owner SELECTION
//
// On the display named by DISPLAY. Prints the owner's window and exits 0 when there is one,
// exits 1 when there is none, 2 when the display cannot be opened.
#include <X11/Xlib.h>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: tivrel-x-selection-owner SELECTION\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("tivrel-x-selection-owner: cannot open the X display named by DISPLAY\n",
                   stderr);
        return 2;
    }
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, argv[1], False));
    if (owner != None)
        std::printf("0x%lx\n", owner);
    XCloseDisplay(display);
    return owner != None ? 0 : 1;
}
