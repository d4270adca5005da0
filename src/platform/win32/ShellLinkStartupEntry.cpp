#include "platform/win32/ShellLinkStartupEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

namespace tivrel {

namespace {

const QString kLinkName = QStringLiteral("Tivrel.lnk");

// Owns one reference to a COM object.
template <typename T> class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (m_object)
            m_object->Release();
    }
    T* operator->() const { return m_object; }
    void** out() { return reinterpret_cast<void**>(&m_object); }

private:
    T* m_object = nullptr;
};

// COM for this thread for as long as it lives; the UI thread usually has it already.
class ComScope {
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

QString describe(const char* step, HRESULT result) {
    return QStringLiteral("%1 failed: %2 (0x%3)")
        .arg(QString::fromLatin1(step), qt_error_string(int(result)))
        .arg(quint32(result), 8, 16, QLatin1Char('0'));
}

std::wstring wide(const QString& text) {
    return text.toStdWString();
}

// Writes a link at `path` that starts `program` in the program's own folder.
bool writeLink(const QString& path, const QString& program, QString* error) {
    const ComScope com;
    ComRef<IShellLinkW> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, link.out());
    if (FAILED(result)) {
        *error = describe("CoCreateInstance(ShellLink)", result);
        return false;
    }
    const QString target = QDir::toNativeSeparators(program);
    const QString folder = QDir::toNativeSeparators(QFileInfo(program).absolutePath());
    if (FAILED(result = link->SetPath(wide(target).c_str())) ||
        FAILED(result = link->SetWorkingDirectory(wide(folder).c_str()))) {
        *error = describe("IShellLinkW", result);
        return false;
    }
    ComRef<IPersistFile> file;
    if (FAILED(result = link->QueryInterface(IID_IPersistFile, file.out()))) {
        *error = describe("QueryInterface(IPersistFile)", result);
        return false;
    }
    if (FAILED(result = file->Save(wide(QDir::toNativeSeparators(path)).c_str(), TRUE))) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                              describe("IPersistFile::Save", result));
        return false;
    }
    return true;
}

} // namespace

ShellLinkStartupEntry::ShellLinkStartupEntry(QString program, QString allUsersFolder,
                                             QString userFolder)
    : m_program(std::move(program)), m_allUsersFolder(std::move(allUsersFolder)),
      m_userFolder(userFolder.isEmpty() ? userStartupFolder() : std::move(userFolder)) {}

QString ShellLinkStartupEntry::userStartupFolder() {
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QString::fromWCharArray(path);
    else
        qWarning("Tivrel: the user's Startup folder is unknown to the shell");
    CoTaskMemFree(path);
    return folder;
}

QStringList ShellLinkStartupEntry::links() const {
    QStringList links;
    for (const QString& folder : {m_allUsersFolder, m_userFolder}) {
        if (!folder.isEmpty())
            links << QDir(folder).filePath(kLinkName);
    }
    return links;
}

bool ShellLinkStartupEntry::exists() {
    for (const QString& link : links()) {
        if (QFileInfo(link).isFile())
            return true;
    }
    return false;
}

bool ShellLinkStartupEntry::place(QString* error) {
    QStringList reasons;
    for (const QString& link : links()) {
        QString reason;
        // Only into a folder that is there: the user's own is made by the system at logon,
        // and an all-users folder that is missing is no place to create one.
        if (!QFileInfo(QFileInfo(link).absolutePath()).isDir())
            reason = QStringLiteral("%1: the folder does not exist")
                         .arg(QDir::toNativeSeparators(QFileInfo(link).absolutePath()));
        else if (writeLink(link, m_program, &reason))
            return true;
        reasons << reason;
    }
    if (error)
        *error = reasons.join(QStringLiteral("; "));
    return false;
}

bool ShellLinkStartupEntry::remove(QString* error) {
    QStringList reasons;
    for (const QString& link : links()) {
        QFile file(link);
        if (QFileInfo(link).isFile() && !file.remove())
            reasons << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(link),
                                                    file.errorString());
    }
    if (reasons.isEmpty())
        return true;
    if (error)
        *error = reasons.join(QStringLiteral("; "));
    return false;
}

QStringList ShellLinkStartupEntry::folders() {
    QStringList folders;
    for (const QString& folder : {m_allUsersFolder, m_userFolder}) {
        if (!folder.isEmpty())
            folders << QDir::toNativeSeparators(folder);
    }
    return folders;
}

} // namespace tivrel
