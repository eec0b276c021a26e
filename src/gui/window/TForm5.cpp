// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/TForm5.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPixmap phonePicture(qreal dpr)
{
    QPixmap pm(QSize(32, 32) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(QColor(70, 70, 90));
    p.drawRoundedRect(QRectF(10, 3, 12, 27), 3, 3);
    p.drawLine(QPointF(19, 3), QPointF(19, 0.5)); // aerial
    p.setBrush(QColor(150, 200, 150));
    p.drawRect(QRectF(12, 6, 8, 7)); // display
    p.setBrush(QColor(210, 210, 210));
    p.setPen(Qt::NoPen);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRect(QRectF(12.2 + c * 2.8, 15.5 + r * 3.3, 2, 2));
    return pm;
}

QPixmap tickPicture(qreal dpr)
{
    QPixmap pm(QSize(32, 32) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 140, 0), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(13, 24), QPointF(26, 8)}));
    return pm;
}

} // namespace

TForm5::TForm5(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("OK"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 10, 6, 10);
    auto *pictures = new QHBoxLayout;
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(phonePicture(devicePixelRatioF()));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(tickPicture(devicePixelRatioF()));
    pictures->addStretch(1);
    pictures->addWidget(Image1);
    pictures->addWidget(Image2);
    pictures->addStretch(1);
    layout->addLayout(pictures);
    layout->addStretch(1);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setCursor(Qt::PointingHandCursor);
    BitBtn1->setDefault(true);
    BitBtn1->setFixedWidth(75);
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm5::BitBtn1Click);

    setFixedSize(124, 112);
}

void TForm5::BitBtn1Click()
{
    close();
}
