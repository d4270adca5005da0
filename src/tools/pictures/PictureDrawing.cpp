#include "tools/pictures/PictureDrawing.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tivrel::pictures {

namespace {

constexpr int kSheetWidth = 482;
constexpr int kSheetHeight = 654;
const QColor kText(20, 20, 20);
const QColor kBubble(36, 94, 214);
const QColor kBubbleEdge(12, 50, 140);

QFont font(int pixelSize, bool bold = false, bool serif = false) {
    QFont f(serif ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

void drawLogo(QPainter& p) {
    QPainterPath text;
    const QFont logo = font(70, true, true);
    text.addText(0, 0, logo, QStringLiteral("Tivrel"));
    const QRectF bounds = text.boundingRect();
    text.translate((kSheetWidth - bounds.width()) / 2 - bounds.left() - 4, 12 - bounds.top());

    // The extrusion: the letters stacked in brown, offset down and to the right.
    p.setPen(Qt::NoPen);
    for (int depth = 7; depth >= 1; --depth) {
        p.setBrush(QColor(92 + depth * 6, 50 + depth * 3, 16));
        p.drawPath(text.translated(depth, depth));
    }
    QLinearGradient gold(0, 12, 0, 12 + bounds.height());
    gold.setColorAt(0.0, QColor(255, 236, 140));
    gold.setColorAt(0.45, QColor(240, 190, 40));
    gold.setColorAt(1.0, QColor(176, 112, 20));
    p.setBrush(gold);
    p.setPen(QPen(QColor(90, 48, 12), 1.5));
    p.drawPath(text);
}

// Draws a line of text pieces centred at y; pieces at odd positions are underlined.
void drawCentredPieces(QPainter& p, int y, const QStringList& pieces) {
    const QFont plain = font(13);
    QFont underlined = plain;
    underlined.setUnderline(true);
    int width = 0;
    for (int i = 0; i < pieces.size(); ++i)
        width += QFontMetrics(i % 2 ? underlined : plain).horizontalAdvance(pieces[i]);
    int x = (kSheetWidth - width) / 2;
    p.setPen(kText);
    for (int i = 0; i < pieces.size(); ++i) {
        p.setFont(i % 2 ? underlined : plain);
        p.drawText(x, y, pieces[i]);
        x += p.fontMetrics().horizontalAdvance(pieces[i]);
    }
}

void drawBubble(QPainter& p, const QRect& box, const QPoint& tip, const QString& text) {
    QPainterPath bubble;
    bubble.addRoundedRect(box, 8, 8);
    // The tail leaves the bubble's right side and ends at the part it names.
    const int cy = std::clamp(tip.y(), box.top() + 8, box.bottom() - 8);
    QPainterPath tail;
    tail.moveTo(box.right() - 2, cy - 4);
    tail.lineTo(tip);
    tail.lineTo(box.right() - 2, cy + 4);
    tail.closeSubpath();
    const QPainterPath shape = bubble.united(tail);
    p.setPen(QPen(kBubbleEdge, 1.5));
    p.setBrush(kBubble);
    p.drawPath(shape);
    p.setPen(Qt::white);
    p.setFont(font(12, true));
    p.drawText(box.adjusted(8, 4, -8, -4), Qt::AlignCenter | Qt::TextWordWrap, text);
}

} // namespace

QImage withTitleBar(const QImage& client, const QImage& icon, const QString& title) {
    constexpr int kTitle = 22;
    constexpr int kBorder = 3;
    QImage window(client.width() + 2 * kBorder, client.height() + kTitle + kBorder,
                  QImage::Format_RGB888);
    QPainter p(&window);
    p.fillRect(window.rect(), QColor(192, 192, 192));
    p.setPen(QColor(255, 255, 255));
    p.drawLine(0, 0, window.width() - 1, 0);
    p.drawLine(0, 0, 0, window.height() - 1);
    p.setPen(QColor(64, 64, 64));
    p.drawLine(window.width() - 1, 0, window.width() - 1, window.height() - 1);
    p.drawLine(0, window.height() - 1, window.width() - 1, window.height() - 1);
    QLinearGradient bar(0, 0, window.width(), 0);
    bar.setColorAt(0, QColor(0, 0, 128));
    bar.setColorAt(1, QColor(16, 132, 208));
    const QRect titleRect(kBorder, kBorder, window.width() - 2 * kBorder, kTitle - kBorder - 1);
    p.fillRect(titleRect, bar);
    p.drawImage(QRect(kBorder + 2, kBorder + 1, 16, 16), icon);
    p.setPen(Qt::white);
    p.setFont(font(12, true));
    p.drawText(titleRect.adjusted(22, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
    // The close box only: the window has no minimize or maximize button.
    const QRect close(titleRect.right() - 17, titleRect.top() + 2, 15, 14);
    p.fillRect(close, QColor(192, 192, 192));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(close.topLeft() + QPoint(4, 3), close.bottomRight() - QPoint(4, 3));
    p.drawLine(close.topRight() + QPoint(-4, 3), close.bottomLeft() + QPoint(4, -3));
    p.drawImage(kBorder, kTitle, client);
    return window;
}

QImage drawHelpSheet(const QImage& mainWindow, const QVector<Callout>& callouts) {
    QImage sheet(kSheetWidth, kSheetHeight, QImage::Format_RGB888);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    drawLogo(p);
    p.setPen(kText);
    p.setFont(font(16, true));
    p.drawText(QRect(0, 104, kSheetWidth, 22), Qt::AlignCenter,
               QStringLiteral("Welcome to Tivrel!"));
    p.setFont(font(13));
    p.drawText(QRect(0, 128, kSheetWidth, 20), Qt::AlignCenter,
               QStringLiteral("To get started, select from the following options:"));
    drawCentredPieces(p, 170,
                      {QStringLiteral("\u201c"), QStringLiteral("Fast Delay"),
                       QStringLiteral("\u201d or \u201c"), QStringLiteral("Slow Delay"),
                       QStringLiteral("\u201d")});
    drawCentredPieces(
        p, 190, {QStringLiteral("\u201c"), QStringLiteral("Amount"), QStringLiteral("\u201d")});
    drawCentredPieces(p, 210,
                      {QStringLiteral("\u201c"), QStringLiteral("Button Configuration"),
                       QStringLiteral("\u201d")});

    const QPoint origin(kSheetWidth - mainWindow.width() - 8,
                        kSheetHeight - mainWindow.height() - 10);
    p.drawImage(origin, mainWindow);

    // Bubbles down the left side, each as near its target as the ones above allow.
    constexpr int kBubbleWidth = 150;
    int nextTop = 226;
    QVector<Callout> ordered = callouts;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Callout& a, const Callout& b) {
        return a.target.center().y() < b.target.center().y();
    });
    for (const Callout& c : ordered) {
        const QRect target = c.target.translated(origin);
        const QRect textBox = QFontMetrics(font(12, true))
                                  .boundingRect(QRect(0, 0, kBubbleWidth - 16, 200),
                                                Qt::TextWordWrap | Qt::AlignCenter, c.text);
        const int height = textBox.height() + 12;
        const int top = std::max(nextTop, target.center().y() - height / 2);
        const QRect box(6, top, kBubbleWidth, height);
        drawBubble(p, box,
                   QPoint(target.left() + std::min(target.width() / 3, 12), target.center().y()),
                   c.text);
        nextTop = box.bottom() + 8;
    }
    return sheet;
}

QImage drawNoticePanel(const QString& owner) {
    QImage panel(413, 97, QImage::Format_RGB888);
    panel.fill(Qt::white);
    QPainter p(&panel);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QColor(32, 32, 48));
    p.setFont(font(14, true));
    p.drawText(QRect(0, 0, 413, 50), Qt::AlignCenter, owner);
    return panel;
}

QImage drawLinkPicture(const QString& address) {
    QImage link(198, 22, QImage::Format_RGB888);
    link.fill(Qt::white);
    QPainter p(&link);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f = font(13);
    f.setUnderline(true);
    // Shrinks the text until a long address fits.
    while (f.pixelSize() > 7 && QFontMetrics(f).horizontalAdvance(address) > 194)
        f.setPixelSize(f.pixelSize() - 1);
    p.setFont(f);
    p.setPen(QColor(0, 0, 255));
    p.drawText(link.rect(), Qt::AlignCenter, address);
    return link;
}

} // namespace tivrel::pictures
