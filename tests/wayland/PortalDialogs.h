#pragma once

#include "ChildProcess.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

namespace tivrel::test {

// How the portal's dialogs are answered, as a user would with the mouse.
enum class PortalDialogAnswer {
    Share,  // "Allow remote interaction" switched on where the dialog has it, then Share
    Cancel, // Cancel
};

// The user in front of a headless desktop's portal dialogs (GNOME's, KDE's): the accessibility
// bus of the desktop's session bus, and portal-dialog.py answering each dialog of the portal's
// backend through it as it appears (Share unless told otherwise), never by a setting that
// skips it.
class PortalDialogs {
public:
    PortalDialogs() = default;
    ~PortalDialogs();
    PortalDialogs(const PortalDialogs&) = delete;
    PortalDialogs& operator=(const PortalDialogs&) = delete;

    // Returns once the accessibility bus is on `bus` and the answerer runs, its files and logs
    // in `folder`; false and a reason otherwise. Before the portal's backend starts: a program
    // finds the accessibility bus only at its own start.
    bool start(const QDBusConnection& bus, const QStringList& environment, const QString& folder,
               QString* error);
    void stop();

    // Applies to each dialog that appears from now on.
    void answerWith(PortalDialogAnswer answer);
    // How many dialogs have been answered so far.
    int answered() const;

private:
    QString m_folder;
    ChildProcess m_accessibility;
    ChildProcess m_answerer;
};

} // namespace tivrel::test
