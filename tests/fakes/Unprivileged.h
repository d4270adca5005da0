#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tivrel::test {

// Runs body as a user without special rights, so that a read-only folder really cannot be
// written (root writes anywhere): as root in a child process that has become "nobody",
// otherwise right here. Returns what body returned, or nothing when the child could not run
// or report; whyNot then says why. Everything body touches must be open to that user.
std::optional<QString> runUnprivileged(const std::function<QString()>& body,
                                       QString* whyNot = nullptr);

// Makes a folder readable and enterable, but not writable, by everyone.
bool makeReadOnlyForAll(const QString& folder);
// Makes a folder readable, enterable and writable by everyone.
bool makeOpenToAll(const QString& folder);

} // namespace tivrel::test
