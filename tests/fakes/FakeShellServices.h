#pragma once

#include "platform/Browser.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/NotificationIcon.h"
#include "platform/SettingsStore.h"
#include "platform/ShortcutShell.h"
#include "platform/SystemMenu.h"
#include "platform/TerminationSignals.h"

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

// Files in memory, by the paths the program uses.
class FakeFileSystem final : public FileSystem {
public:
    // The same file, however many backslashes stand between the names.
    static QString normal(QString path) {
        while (path.contains(QStringLiteral("\\\\")))
            path.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        return path;
    }
    QString programFolder() override { return folder; }
    bool fileExists(const QString& path) override { return existing.contains(normal(path)); }
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
    bool deleteFile(const QString& path, QString* error) override {
        if (failDeletes || !existing.contains(normal(path))) {
            if (error)
                *error = QStringLiteral("Permission denied");
            return false;
        }
        existing.remove(normal(path));
        return true;
    }

    QString folder = QStringLiteral("C:\\Program Files\\Tivrel");
    QSet<QString> existing;
    QHash<QString, QString> texts;
    bool failDeletes = false;
    int textReads = 0;
};

class FakeInstanceLock final : public InstanceLock {
public:
    bool acquire() override { return !otherCopyRunning; }
    bool otherCopyRunning = false;
};

// Records the icon's life; the test plays the mouse on it.
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
    void mouse(int message) { deliverMouse(message); }

    bool available = true;
    bool shown = false;
    int adds = 0;
    int removes = 0;
    QString tip;
    QIcon lastIcon;
};

// The standard seven-entry system menu of each window.
class FakeSystemMenu final : public SystemMenu {
public:
    QStringList entries(QWidget& window) override { return menuOf(window); }
    void removeEntry(QWidget& window, int position) override {
        QStringList& menu = menuOf(window);
        if (position >= 0 && position < menu.size())
            menu.removeAt(position);
    }

private:
    QStringList& menuOf(QWidget& window) {
        auto it = menus.find(&window);
        if (it == menus.end())
            it = menus.insert(&window,
                              {"Restore", "Move", "Size", "Minimize", "Maximize", "-", "Close"});
        return *it;
    }
    QHash<const QWidget*, QStringList> menus;
};

// Records the shortcuts saved, as "<link path> -> <target>"; saving can be made to fail.
class FakeShortcutShell final : public ShortcutShell {
public:
    struct Record {
        QStringList saved;
        bool failSaves = false;
        FakeFileSystem* files = nullptr; // a saved shortcut appears here as an existing file
    };
    explicit FakeShortcutShell(Record& record) : m_record(record) {}
    std::unique_ptr<Shortcut> CreateShortcut(const QString& linkPath) override {
        class FakeShortcut final : public Shortcut {
        public:
            FakeShortcut(Record& record, QString path)
                : m_record(record), m_path(std::move(path)) {}
            void setTargetPath(const QString& target) override { m_target = target; }
            bool Save(QString* error) override {
                if (m_record.failSaves) {
                    if (error)
                        *error = QStringLiteral("no such folder");
                    return false;
                }
                m_record.saved << m_path + QStringLiteral(" -> ") + m_target;
                if (m_record.files)
                    m_record.files->existing.insert(FakeFileSystem::normal(m_path));
                return true;
            }

        private:
            Record& m_record;
            QString m_path;
            QString m_target;
        };
        return std::make_unique<FakeShortcut>(m_record, linkPath);
    }

private:
    Record& m_record;
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
