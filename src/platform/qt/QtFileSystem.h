#pragma once

#include "platform/FileSystem.h"

namespace tivrel {

class QtFileSystem final : public FileSystem {
public:
    QString programFolder() override;
    std::optional<QStringList> readTextLines(const QString& path, QString* error) override;
};

} // namespace tivrel
