#include "desktop/StartupShortcut.h"

#include "platform/Dialogs.h"
#include "platform/StartupEntry.h"

namespace tivrel {

namespace {

const QString kCrLf2 = QStringLiteral("\r\n\r\n");

} // namespace

void StartupShortcut::showState() {
    m_showCaption(m_entry.exists() ? kRemoveCaption : kPlaceCaption);
}

// After every attempt, failed or not, the caption is read from the disk again: a removal
// that failed leaves the entry, and the item must still offer to remove it.
void StartupShortcut::Startupatlogonmnu_Click() {
    // The disk decides, not the caption: another program may have changed it meanwhile.
    if (!m_entry.exists()) {
        CreateStartupShortcut();
        return;
    }
    QString error;
    const bool removed = m_entry.remove(&error);
    showState();
    if (removed)
        return;
    qWarning("Tivrel: cannot remove the start-up entry: %s", qPrintable(error));
    m_dialogs.messageBox(QStringLiteral("An unknown error has occured."), MessageButtons::Ok,
                         MessageIcon::Critical, QStringLiteral("Error"));
}

void StartupShortcut::CreateStartupShortcut() {
    QString error;
    const bool placed = m_entry.place(&error);
    showState();
    if (placed)
        return;
    qWarning("Tivrel: cannot place the start-up entry: %s", qPrintable(error));
    m_dialogs.message(QStringLiteral("Bad \"All Users\" folder:") + kCrLf2 +
                          QStringLiteral("Should look like:  ") +
                          m_entry.folders().join(QStringLiteral(" or ")) + kCrLf2 +
                          QStringLiteral("* You must manually place a shortcut in the startup "
                                         "folder."),
                      MessageButtons::Ok, MessageIcon::None);
}

} // namespace tivrel
