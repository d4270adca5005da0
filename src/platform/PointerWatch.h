#pragma once

namespace tivrel {

// Tells whether the user has touched the pointer since a run began. Where the system
// reports motion as it happens (X11), any motion of any pointing device counts, a move and
// straight back included; elsewhere (Windows) the pointer's place is compared with where it
// was at the start.
class PointerWatch {
public:
    virtual ~PointerWatch() = default;
    // A run begins: motion from here on counts, none from before.
    virtual void begin() = 0;
    // Whether the pointer has moved since begin(). Reads what the system has delivered and
    // waits for no answer, so the click thread can ask before every click; the click thread
    // and the UI thread may ask at the same time.
    virtual bool moved() = 0;
    // moved() from what has been read from the system already, with no system call: what
    // the click thread asks right after a click, whose answer may have brought motion along
    // that no later wake would announce.
    virtual bool movedSoFar() { return moved(); }
    // The run is over: the system may stop reporting motion.
    virtual void end() = 0;
    // False where the system does not let the program see the pointer at all: moved() is
    // then always false, and only ENTER or an amount can end a run.
    virtual bool seesMoves() const { return true; }
    // A descriptor that turns readable when the watch may have news for the click thread,
    // which waits on it beside its deadline; -1 where the thread has only its deadlines.
    virtual int news() const { return -1; }
};

} // namespace tivrel
