#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace tivrel::pictures {

// A Windows icon file (.ico) holding each image as a PNG entry, as Windows Vista and later
// read them: the program file's icon that Explorer, the Start menu and the installer show.
// Images must be square, 1 to 256 pixels wide; empty if one is not or cannot be encoded.
QByteArray iconFile(const QList<QImage>& images);

} // namespace tivrel::pictures
