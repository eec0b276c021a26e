// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/PortErrorDialog.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int DialogWidth = 143;
constexpr int DialogHeight = 122;
}

PortErrorDialog::PortErrorDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Error"));
    // Single border, system menu only: no help, minimise or maximise buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Closing the error box must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 8, 6, 8);
    layout->setSpacing(4);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(32, 32);
    Image1->setPixmap(unpluggedCable(devicePixelRatioF()));
    layout->addWidget(Image1, 0, Qt::AlignHCenter);

    lblReason = new QLabel(this);
    lblReason->setObjectName(QStringLiteral("lblReason"));
    lblReason->setWordWrap(true);
    lblReason->setAlignment(Qt::AlignCenter);
    lblReason->setTextFormat(Qt::PlainText);
    lblReason->hide();
    layout->addWidget(lblReason, 1); // gets the room when there is a reason
    layout->addStretch(0);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setCursor(Qt::PointingHandCursor);
    BitBtn1->setDefault(true);
    BitBtn1->setFixedWidth(75);
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);
    connect(BitBtn1, &QPushButton::clicked, this, &PortErrorDialog::BitBtn1Click);

    setFixedSize(DialogWidth, DialogHeight);
}

void PortErrorDialog::setReason(const QString &reason)
{
    m_reason = reason;
    // Device paths have no blanks; let the line break after each '/'.
    QString shown = reason;
    shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
    lblReason->setText(shown);
    lblReason->setToolTip(reason);
    lblReason->setVisible(!reason.isEmpty());
    // The box keeps its width; a long reason makes it taller rather than cut.
    int needed = DialogHeight;
    if (!reason.isEmpty()) {
        const QMargins m = layout()->contentsMargins();
        const int spacing = layout()->spacing();
        const int labelHeight = lblReason->heightForWidth(DialogWidth - m.left() - m.right());
        needed = qMax(DialogHeight, m.top() + Image1->height() + spacing + labelHeight + spacing
                                        + BitBtn1->sizeHint().height() + m.bottom());
    }
    setFixedSize(DialogWidth, needed);
}

void PortErrorDialog::BitBtn1Click()
{
    close();
}

QPixmap PortErrorDialog::unpluggedCable(qreal dpr)
{
    QPixmap pm(QSize(32, 32) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    // Socket on the left: a grey D-shaped shell with pin holes.
    QPainterPath socket;
    socket.moveTo(2, 8);
    socket.lineTo(11, 10);
    socket.lineTo(11, 22);
    socket.lineTo(2, 24);
    socket.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(170, 170, 170));
    p.drawPath(socket);
    p.setBrush(Qt::black);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(6.5, 12.5 + 3.5 * i), 0.9, 0.9);

    // Plug on the right, pulled away, with its cable leaving to the bottom right.
    QPainterPath plug;
    plug.moveTo(17, 10);
    plug.lineTo(24, 8);
    plug.lineTo(24, 24);
    plug.lineTo(17, 22);
    plug.closeSubpath();
    p.setBrush(QColor(120, 120, 200));
    p.drawPath(plug);
    p.setPen(QPen(Qt::black, 1.2));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(14.5, 12.5 + 3.5 * i), QPointF(17, 12.5 + 3.5 * i));
    p.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(24, 16);
    cable.cubicTo(30, 16, 28, 28, 31, 30);
    p.drawPath(cable);

    // The red gap marks the break.
    p.setPen(QPen(QColor(220, 0, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 3), QPointF(16, 7));
    p.drawLine(QPointF(16, 3), QPointF(12, 7));
    p.drawLine(QPointF(12, 25), QPointF(16, 29));
    p.drawLine(QPointF(16, 25), QPointF(12, 29));
    return pm;
}
