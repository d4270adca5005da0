#pragma once

#include "platform/FileSystem.h"

namespace tivrel {

class LinuxFileSystem final : public FileSystem {
public:
    QString programFolder() override;
    bool fileExists(const QString& path) override;
    std::optional<QStringList> readTextLines(const QString& path, QString* error) override;
    bool deleteFile(const QString& path, QString* error) override;
};

} // namespace tivrel
