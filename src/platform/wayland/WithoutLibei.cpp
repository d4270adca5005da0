// A build without libei (Debian 12 has none): the portal's D-Bus calls carry every button.
#include "platform/wayland/EisButtons.h"

namespace tivrel {

EisConnector eisConnector() {
    return {};
}

} // namespace tivrel
