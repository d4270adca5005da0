#pragma once

#include <QString>
#include <QStringList>

namespace tivrel {

// The entry that starts the program at every logon: for all users where the program may
// write one, otherwise for the user who asked.
class StartupEntry {
public:
    virtual ~StartupEntry() = default;
    // True when an entry for all users or for this user is there.
    virtual bool exists() = 0;
    // Places an entry that starts this program, for all users if it can, else for this user;
    // false with a reason when it can do neither.
    virtual bool place(QString* error) = 0;
    // Removes every entry there is; false with a reason when one of them stays.
    virtual bool remove(QString* error) = 0;
    // The folders an entry goes into, all users' first, as a user would look for them when
    // placing one by hand.
    virtual QStringList folders() = 0;
};

} // namespace tivrel
