#pragma once

#include <QStringList>

#include <cstdio>

namespace tivrel {

class CopyChannel;

// A copy started with an argument: `--toggle`, `--start` or `--stop` asks the copy that
// runs to do what its start/stop key does (`--start` and `--stop` only where it would start
// or stop). It needs no display. Returns the exit code: 0 when the running copy took the
// request, 1 when none runs or it did not answer, 2 for an argument it does not know; what
// went wrong is written to `errors`.
int askRunningCopy(const QStringList& arguments, CopyChannel& channel, std::FILE* errors);

} // namespace tivrel
