#pragma once

namespace tivrel {

// The X server reports the state of the pointer buttons as part of the keyboard state, and
// Qt listens to every change of that state on its own connection: each click the program
// makes would wake it twice for news it has no use for. This narrows Qt's selection to the
// modifier and group changes it reads. Does nothing where Qt has no X11 connection.
void quietButtonStateNotifications();

} // namespace tivrel
