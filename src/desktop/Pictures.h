#pragma once

#include <QImage>
#include <QString>

namespace tivrel {

// The web site of the program, as the build was configured.
QString websiteAddress();

// The information window's pictures, made at build time and stored with the program.
QImage helpSheetPicture();   // 482 x 654
QImage noticePanelPicture(); // 413 x 97
QImage linkPicture();        // 198 x 22

} // namespace tivrel
