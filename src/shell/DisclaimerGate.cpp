#include "shell/DisclaimerGate.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "shell/Form3.h"

namespace tivrel {

DisclaimerGate::DisclaimerGate(SettingsStore& settings, FileSystem& files, Dialogs& dialogs,
                               std::function<void(Form3&)> showModal)
    : m_settings(settings), m_files(files), m_dialogs(dialogs), m_showModal(std::move(showModal)) {}

QString DisclaimerGate::termsPath() const {
    return m_files.programFile(QStringLiteral("EULA.txt"));
}

bool DisclaimerGate::accepted() {
    return m_settings.read(kSection, kKey) == kAccepted;
}

DisclaimerGate::Result DisclaimerGate::run(QWidget* owner,
                                           const std::function<bool()>& interrupted) {
    while (!accepted()) {
        if (interrupted())
            return Interrupted;
        QString error;
        const auto lines = m_files.readTextLines(termsPath(), &error);
        if (!lines) {
            m_dialogs.messageBox(QStringLiteral("Tivrel cannot show its terms of use, so it "
                                                "cannot start.\n\n") +
                                     error,
                                 MessageButtons::Ok, MessageIcon::Critical, kApplicationTitle);
            return Failed;
        }
        // A new window each time, so closing it without a choice shows the text once more,
        // read afresh, not doubled.
        Form3 form(owner);
        form.LoadText(*lines);
        m_showModal(form);
        if (interrupted())
            return Interrupted;
        if (form.outcome() == Form3::Declined) {
            m_dialogs.messageBox(
                QStringLiteral("Please uninstall this software if you do not agree to the terms."),
                MessageButtons::Ok, MessageIcon::Exclamation, QStringLiteral("License Agreement"));
            return Declined;
        }
        if (form.outcome() == Form3::Accepted &&
            !m_settings.write(kSection, kKey, kAccepted, &error)) {
            m_dialogs.messageBox(error, MessageButtons::Ok, MessageIcon::Critical,
                                 kApplicationTitle);
            return Failed;
        }
    }
    return Accepted;
}

} // namespace tivrel
