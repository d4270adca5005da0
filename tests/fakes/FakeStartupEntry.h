#pragma once

#include "platform/StartupEntry.h"

namespace tivrel::test {

// The start-up entry as two flags, one per folder, with the calls recorded ("place",
// "remove"). Each folder can be made to refuse writes; the entry then stays as it was.
class FakeStartupEntry final : public StartupEntry {
public:
    bool exists() override { return forAllUsers || forThisUser; }
    bool place(QString* error) override {
        calls << QStringLiteral("place");
        if (!allUsersReadOnly)
            forAllUsers = true;
        else if (!ownReadOnly)
            forThisUser = true;
        else
            return fail(error);
        return true;
    }
    bool remove(QString* error) override {
        calls << QStringLiteral("remove");
        if (!allUsersReadOnly)
            forAllUsers = false;
        if (!ownReadOnly)
            forThisUser = false;
        return exists() ? fail(error) : true;
    }
    QStringList folders() override { return {allUsersFolder, ownFolder}; }

    bool forAllUsers = false;
    bool forThisUser = false;
    bool allUsersReadOnly = false;
    bool ownReadOnly = false;
    QString allUsersFolder = QStringLiteral("/fake/xdg/autostart");
    QString ownFolder = QStringLiteral("/fake/home/.config/autostart");
    QStringList calls;

private:
    static bool fail(QString* error) {
        if (error)
            *error = QStringLiteral("Permission denied");
        return false;
    }
};

} // namespace tivrel::test
