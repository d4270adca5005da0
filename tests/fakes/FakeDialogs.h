#pragma once

#include "platform/Dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace tivrel::test {

struct ShownMessage {
    QString prompt;
    MessageButtons buttons;
    MessageIcon icon;
    QString title;
};

struct ShownInput {
    QString prompt;
    QString title;
    QString defaultAnswer;
};

// Answers from a script and remembers what was shown. An unscripted message box answers
// OK (or No); an unscripted input box or key box answers as Cancel does.
class FakeDialogs final : public Dialogs {
public:
    MessageAnswer messageBox(const QString& prompt, MessageButtons buttons, MessageIcon icon,
                             const QString& title) override {
        messages.push_back({prompt, buttons, icon, title});
        ++open;
        if (whileMessageShown)
            whileMessageShown(messages.back());
        --open;
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (yesNoAnswers.empty())
            return MessageAnswer::No;
        const MessageAnswer answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }

    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultAnswer) override {
        inputs.push_back({prompt, title, defaultAnswer});
        if (inputAnswers.empty())
            return QString();
        const QString answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }

    // Answers as scripted, else as Cancel; `whileKeyBoxShown` runs while it is "open".
    std::optional<QString> chooseKey(const QString& current) override {
        keyBoxes << current;
        ++open;
        if (whileKeyBoxShown)
            whileKeyBoxShown();
        --open;
        if (keyAnswers.empty())
            return std::nullopt;
        const std::optional<QString> answer = keyAnswers.front();
        keyAnswers.pop_front();
        return answer;
    }

    std::vector<ShownMessage> messages;
    std::vector<ShownInput> inputs;
    std::deque<QString> inputAnswers;
    std::deque<MessageAnswer> yesNoAnswers;
    QStringList keyBoxes; // the key each key box showed as the present one
    std::deque<std::optional<QString>> keyAnswers;
    std::function<void()> whileKeyBoxShown;
    int open = 0; // boxes open now
    // Runs while a message box is "open", to look at the program's state at that moment.
    std::function<void(const ShownMessage&)> whileMessageShown;
};

} // namespace tivrel::test
