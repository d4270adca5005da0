#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

namespace tivrel::pictures {

// A blue speech bubble with its text, pointing at a place in the main window's picture.
struct Callout {
    QString text;
    QRect target; // in the main window's picture
};

// The help sheet: the logo, the welcome texts, the main window and its call-outs.
QImage drawHelpSheet(const QImage& mainWindow, const QVector<Callout>& callouts);
QImage drawNoticePanel(const QString& owner);
QImage drawLinkPicture(const QString& address);
// The main window with a title bar above it, as the desktop shows it.
QImage withTitleBar(const QImage& client, const QImage& icon, const QString& title);

} // namespace tivrel::pictures
