#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tivrel {

// The program's own files, by this system's paths.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The folder of the running program, without a trailing separator except at a root.
    virtual QString programFolder() = 0;
    // The lines of a text file, or nothing with a message naming the file and the reason.
    virtual std::optional<QStringList> readTextLines(const QString& path, QString* error) = 0;

    // A file beside the program: the program folder as it is, whatever characters its name
    // holds, then one separator and the name.
    QString programFile(const QString& name);
};

// Splits text into lines: a line ends at CR, CR LF or LF; the break is not part of it, and
// a last line without a break is a line too.
QStringList splitTextLines(const QString& text);

} // namespace tivrel
