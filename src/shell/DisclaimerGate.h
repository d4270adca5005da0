#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tivrel {

class Dialogs;
class FileSystem;
class Form3;
class SettingsStore;

// Holds the user at the terms until they are accepted. The acceptance is stored under
// "EULA"/"TrialRead" as "ACCEPTED" and never asked again.
class DisclaimerGate {
public:
    enum Result { Accepted, Declined, Failed, Interrupted };

    static inline const QString kSection = QStringLiteral("EULA");
    static inline const QString kKey = QStringLiteral("TrialRead");
    static inline const QString kAccepted = QStringLiteral("ACCEPTED");

    // showModal shows the filled window and returns when it has closed (tests replace it).
    DisclaimerGate(SettingsStore& settings, FileSystem& files, Dialogs& dialogs,
                   std::function<void(Form3&)> showModal);

    // interrupted tells whether the system asked the program to end meanwhile.
    Result run(QWidget* owner, const std::function<bool()>& interrupted);
    // The terms file: "EULA.txt" beside the program.
    QString termsPath() const;

private:
    bool accepted();

    SettingsStore& m_settings;
    FileSystem& m_files;
    Dialogs& m_dialogs;
    std::function<void(Form3&)> m_showModal;
};

} // namespace tivrel
