#pragma once

#include "platform/CopyChannel.h"
#include "platform/StartStopKey.h"

#include <QMap>
#include <QStringList>

namespace tivrel::test {

// Holds any key but those the test says cannot be had; the test presses the held key.
class FakeStartStopKey final : public StartStopKey {
public:
    Result hold(const QString& key) override {
        holds << key;
        held.clear();
        if (key.isEmpty())
            return Result::Held;
        const Result result = cannotHave.value(key, Result::Held);
        if (result == Result::Held)
            held = key;
        return result;
    }
    QString heldKey() const override { return held; }

    // The user presses the key: it reaches the program only while held.
    void press() const {
        if (!held.isEmpty())
            pressed();
    }
    void takeBack() {
        held.clear();
        lost();
    }
    // The user gives the shortcut a key in the desktop's own settings.
    void give(const QString& key) {
        held = key;
        changed();
    }

    QMap<QString, Result> cannotHave;
    QStringList holds; // each key asked for, "" for letting go
    QString held;
};

// A second copy's request as a direct call to the copy that listens.
class FakeCopyChannel final : public CopyChannel {
public:
    bool listen(std::function<void(CopyRequest)> handler, QString*) override {
        m_handler = std::move(handler);
        return true;
    }
    bool send(CopyRequest request, QString* error) override {
        if (!m_handler) {
            if (error)
                *error = QStringLiteral("Tivrel is not running.");
            return false;
        }
        m_handler(request);
        return true;
    }

private:
    std::function<void(CopyRequest)> m_handler;
};

} // namespace tivrel::test
