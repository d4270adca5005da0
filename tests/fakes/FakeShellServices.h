#pragma once

#include "platform/Browser.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/NotificationIcon.h"
#include "platform/SettingsStore.h"
#include "platform/TerminationSignals.h"
#include "platform/WindowCommands.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QWidget>

namespace tivrel::test {

// Settings in memory, keyed "section/key". Writes can be made to fail.
class FakeSettingsStore final : public SettingsStore {
public:
    QString read(const QString& section, const QString& key) override {
        ++reads;
        return values.value(section + u'/' + key);
    }
    bool write(const QString& section, const QString& key, const QString& value,
               QString* error) override {
        if (failWrites) {
            if (error)
                *error = QStringLiteral("cannot write /fake/Tivrel.ini");
            return false;
        }
        values[section + u'/' + key] = value;
        ++writes;
        return true;
    }
    QMap<QString, QString> values;
    bool failWrites = false;
    int reads = 0;
    int writes = 0;
};

// Files in memory, by their paths.
class FakeFileSystem final : public FileSystem {
public:
    QString programFolder() override { return folder; }
    std::optional<QStringList> readTextLines(const QString& path, QString* error) override {
        ++textReads;
        const auto it = texts.constFind(path);
        if (it == texts.cend()) {
            if (error)
                *error = QStringLiteral("The file \"%1\" cannot be read: No such file.").arg(path);
            return std::nullopt;
        }
        return splitTextLines(*it);
    }

    QString folder = QStringLiteral("/opt/tivrel");
    QHash<QString, QString> texts;
    int textReads = 0;
};

class FakeInstanceLock final : public InstanceLock {
public:
    bool acquire() override { return !otherCopyRunning; }
    bool otherCopyRunning = false;
};

// Records the icon's life; the test plays the user's clicks on it.
class FakeNotificationIcon final : public NotificationIcon {
public:
    bool isAvailable() override { return available; }
    void add(const QIcon& icon) override {
        ++adds;
        shown = true;
        lastIcon = icon;
    }
    void setTip(const QString& text) override { tip = text; }
    void remove() override {
        ++removes;
        shown = false;
    }
    void click(IconButton button) { activated(button); }

    bool available = true;
    bool shown = false;
    int adds = 0;
    int removes = 0;
    QString tip;
    QIcon lastIcon;
};

// Records the windows whose close command was taken away, by object name.
class FakeWindowCommands final : public WindowCommands {
public:
    void removeCloseCommand(QWidget& window) override { closeRemoved << window.objectName(); }
    QStringList closeRemoved;
};

class FakeBrowser final : public Browser {
public:
    void open(const QString& address) override { opened << address; }
    QStringList opened;
};

class FakeTerminationSignals final : public TerminationSignals {
public:
    void terminate() { deliverTerminate(); }
};

} // namespace tivrel::test
