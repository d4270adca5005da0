#pragma once

#include <QString>

#include <optional>

namespace tivrel {

inline const QString kApplicationTitle = QStringLiteral("Tivrel");

enum class MessageIcon { None, Critical, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Modal message and input boxes. Every text given here is shown as plain text.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MessageAnswer messageBox(const QString& prompt, MessageButtons buttons,
                                     MessageIcon icon, const QString& title) = 0;
    // The answer typed, or an empty text when the user cancels.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) = 0;
    // The start/stop key box: the next key the user presses, named as Qt names keys in
    // portable text ("F6", "Ctrl+Alt+K"); an empty text for "None"; nothing when cancelled.
    virtual std::optional<QString> chooseKey(const QString& current) = 0;

    MessageAnswer message(const QString& prompt, MessageButtons buttons, MessageIcon icon) {
        return messageBox(prompt, buttons, icon, kApplicationTitle);
    }
};

} // namespace tivrel
