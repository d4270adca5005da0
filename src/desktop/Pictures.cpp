#include "desktop/Pictures.h"

namespace tivrel {

namespace {

QImage load(const char* name, QSize size) {
    QImage image(QStringLiteral(":/tivrel/pictures/") + QLatin1String(name));
    if (image.isNull()) {
        // Only a build without its pictures gets here; a plain white picture keeps the
        // window usable.
        qWarning("Tivrel: picture %s is missing from this build", name);
        image = QImage(size, QImage::Format_RGB888);
        image.fill(Qt::white);
    }
    return image;
}

} // namespace

QString websiteAddress() {
    return QStringLiteral(TIVREL_WEBSITE);
}

QImage helpSheetPicture() {
    return load("help-sheet.png", {482, 654});
}
QImage noticePanelPicture() {
    return load("notice-panel.png", {413, 97});
}
QImage linkPicture() {
    return load("link.png", {198, 22});
}

} // namespace tivrel
