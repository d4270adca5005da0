#include "desktop/StartupShortcut.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ShortcutShell.h"

#include <QAction>

namespace tivrel {

namespace {

const QString kCrLf2 = QStringLiteral("\r\n\r\n");

} // namespace

void StartupShortcut::showState() {
    m_item.setText(m_files.fileExists(kLinkPath) ? kRemoveCaption : kPlaceCaption);
}

void StartupShortcut::Startupatlogonmnu_Click() {
    // The disk decides, not the caption: another program may have changed it meanwhile.
    if (!m_files.fileExists(kLinkPath)) {
        m_item.setText(kRemoveCaption);
        const QString target = m_files.programFolder() + QStringLiteral("\\Tivrel.exe");
        CreateStartupShortcut(kFolder, QStringLiteral("Tivrel"), target);
        return;
    }
    m_item.setText(kPlaceCaption);
    QString error;
    if (!m_files.deleteFile(kLinkPath, &error)) {
        qWarning("Tivrel: cannot delete the start-up shortcut: %s", qPrintable(error));
        m_dialogs.messageBox(QStringLiteral("An unknown error has occured."), MessageButtons::Ok,
                             MessageIcon::Critical, QStringLiteral("Error"));
    }
}

void StartupShortcut::CreateStartupShortcut(const QString& folder, const QString& name,
                                            const QString& target) {
    const QString linkPath = folder + u'\\' + name + QStringLiteral(".lnk");
    QString error = QStringLiteral("no shortcut maker on this system");
    bool saved = false;
    if (m_shell) {
        if (auto shortcut = m_shell->CreateShortcut(linkPath)) {
            shortcut->setTargetPath(target);
            saved = shortcut->Save(&error);
        }
    }
    if (saved)
        return;
    qWarning("Tivrel: cannot write the start-up shortcut: %s", qPrintable(error));
    m_dialogs.message(
        QStringLiteral("Bad \"All Users\" folder:") + kCrLf2 +
            QStringLiteral("Should look like:  C:\\Documents and Settings\\All Users") + kCrLf2 +
            QStringLiteral("* You must manually place a shortcut in the startup folder."),
        MessageButtons::Ok, MessageIcon::None);
    m_item.setText(kPlaceCaption);
}

} // namespace tivrel
