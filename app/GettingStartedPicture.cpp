#include "app/GettingStartedPicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Width = 749;
constexpr int Height = 411;

void drawStep(QPainter& p, const QRectF& box, int number, const QString& heading, const QString& text)
{
    p.setPen(QPen(QColor(0x9d, 0xb4, 0xcf), 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(box, 12, 12);

    const QRectF badge(box.center().x() - 26, box.top() + 24, 52, 52);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x78, 0xc2));
    p.drawEllipse(badge);
    QFont numberFont = p.font();
    numberFont.setPointSizeF(20);
    numberFont.setBold(true);
    p.setFont(numberFont);
    p.setPen(Qt::white);
    p.drawText(badge, Qt::AlignCenter, QString::number(number));

    QFont headingFont = p.font();
    headingFont.setPointSizeF(13);
    p.setFont(headingFont);
    p.setPen(QColor(0x22, 0x33, 0x44));
    p.drawText(QRectF(box.left() + 12, badge.bottom() + 16, box.width() - 24, 30), Qt::AlignCenter, heading);

    QFont textFont = p.font();
    textFont.setPointSizeF(10);
    textFont.setBold(false);
    p.setFont(textFont);
    p.setPen(QColor(0x44, 0x4c, 0x55));
    p.drawText(QRectF(box.left() + 18, badge.bottom() + 54, box.width() - 36, box.bottom() - badge.bottom() - 64),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
}

void drawArrow(QPainter& p, QPointF from, QPointF to)
{
    p.setPen(QPen(QColor(0x3a, 0x78, 0xc2), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(to + QPointF(-10, -7));
    head.lineTo(to + QPointF(-10, 7));
    head.closeSubpath();
    p.fillPath(head, QColor(0x3a, 0x78, 0xc2));
}

} // namespace

QImage gettingStartedPicture(qreal devicePixelRatio)
{
    QImage image(QSize(Width, Height) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(0, 0, 0, Height);
    background.setColorAt(0, QColor(0xf4, 0xf8, 0xfc));
    background.setColorAt(1, QColor(0xdf, 0xe9, 0xf4));
    p.fillRect(QRect(0, 0, Width, Height), background);

    QFont title = p.font();
    title.setPointSizeF(16);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0x22, 0x33, 0x44));
    p.drawText(QRectF(0, 18, Width, 34), Qt::AlignCenter, QStringLiteral("From images to one PDF in three steps"));

    const qreal boxW = 205;
    const qreal gap = (Width - 3 * boxW) / 4.0;
    const qreal top = 72;
    const qreal boxH = 300;
    const QString headings[3] = {QStringLiteral("Add images"), QStringLiteral("Describe the PDF"),
                                 QStringLiteral("Convert")};
    const QString texts[3] = {
        QStringLiteral("Open an image file or add a whole folder with the tool bar, or drop files here."),
        QStringLiteral("Set the document title, subject and keywords, and choose the compression quality."),
        QStringLiteral("Press \u201cConvert To PDF Now\u201d and choose where to save the document."),
    };
    for (int i = 0; i < 3; ++i) {
        const QRectF box(gap + i * (boxW + gap), top, boxW, boxH);
        drawStep(p, box, i + 1, headings[i], texts[i]);
        if (i < 2) {
            drawArrow(p, QPointF(box.right() + 6, top + boxH / 2), QPointF(box.right() + gap - 6, top + boxH / 2));
        }
    }
    return image;
}
