#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tivrel {

// Files as the program names them. The program keeps Windows-style paths in its logic
// ("C:\...\Startup\Tivrel.lnk", program folder + "\EULA.txt"); each backend maps them to
// its own system.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The folder of the running program, without a trailing separator except at a root.
    virtual QString programFolder() = 0;
    // True when the path names an existing plain file that is not hidden; never fails.
    virtual bool fileExists(const QString& path) = 0;
    // The lines of a text file, or nothing with a message naming the file and the reason.
    virtual std::optional<QStringList> readTextLines(const QString& path, QString* error) = 0;
    // Deletes one file; false with a reason when it cannot.
    virtual bool deleteFile(const QString& path, QString* error) = 0;
};

// Splits text into lines: a line ends at CR, CR LF or LF; the break is not part of it, and
// a last line without a break is a line too.
QStringList splitTextLines(const QString& text);

} // namespace tivrel
