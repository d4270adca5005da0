#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tivrel::test {

// Runs body in a child process and returns what it returned, or nothing when the child
// failed, or hung and was killed after 20 s; whyNot then says why. For bodies that change
// their process for good (its user, its limits, its capabilities). A body that cannot set
// itself up ends the child with ::_exit and a non-zero status.
std::optional<QString> runInChild(const std::function<QString()>& body, QString* whyNot = nullptr);

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
