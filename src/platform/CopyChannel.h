#pragma once

#include <QString>

#include <functional>

namespace tivrel {

// What a second copy of the program, started with an argument, asks the copy that runs.
enum class CopyRequest { Toggle, Start, Stop };

// The road from a second copy to the running one, which only the same user can open: a
// local socket in the user's runtime folder, a named pipe on Windows.
class CopyChannel {
public:
    virtual ~CopyChannel() = default;
    // The running copy: each request that arrives calls `handler` on the UI thread. False and
    // why where the channel cannot be opened (the program runs on without it).
    virtual bool listen(std::function<void(CopyRequest)> handler, QString* error) = 0;
    // A second copy: hands the request to the running one and returns once it took it. False
    // and why where no copy listens, or it did not answer within a fraction of a second.
    virtual bool send(CopyRequest request, QString* error) = 0;
};

} // namespace tivrel
