// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/AboutPage.h"

#include "gui/common/Palette.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

const QString AboutPage::Version = QStringLiteral("v1.7c");
const QString AboutPage::WebAddress = QStringLiteral("www.mirvak.example.org");
const QString AboutPage::WebLink = QStringLiteral("https://www.mirvak.example.org/");
const QString AboutPage::MailAddress = QStringLiteral("mirvak@example.org");

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

namespace {

ClickLabel *linkLabel(QWidget *parent, const char *name)
{
    auto *label = new ClickLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont f = label->font();
    f.setBold(true);
    f.setPixelSize(21);
    label->setFont(f);
    // Blue as a link is, lightened on a dark window.
    Palette::follow(label, [label] { Palette::setLegible(label, QPalette::WindowText, Qt::blue, QPalette::Window); });
    label->setCursor(Qt::PointingHandCursor);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// Opening an address is a courtesy: a desktop without a browser or mail
// program simply does nothing.
void openAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}

} // namespace

AboutPage::AboutPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel5"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(3);

    VisitBox = new QGroupBox(this);
    VisitBox->setObjectName(QStringLiteral("VisitBox"));
    auto *visitLayout = new QVBoxLayout(VisitBox);
    visitLayout->setContentsMargins(4, 2, 4, 2);
    visitLayout->setSpacing(0);
    www = linkLabel(VisitBox, "www");
    lblEmail = linkLabel(VisitBox, "lblEmail");
    visitLayout->addWidget(www);
    visitLayout->addWidget(lblEmail);
    layout->addWidget(VisitBox);

    auto *middle = new QHBoxLayout;
    middle->setSpacing(4);
    InfoBox = new QPlainTextEdit(this);
    InfoBox->setObjectName(QStringLiteral("InfoBox"));
    InfoBox->setAccessibleName(QStringLiteral("Information"));
    InfoBox->setReadOnly(true);
    InfoBox->setFocusPolicy(Qt::NoFocus); // no tab stop
    InfoBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    InfoBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    InfoBox->setPlainText(infoText());
    middle->addWidget(InfoBox, 1);

    auto *side = new QVBoxLayout;
    side->setSpacing(2);
    Image1 = new ClickLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(logo(devicePixelRatioF()));
    Image1->setFixedSize(56, 56);
    Image1->setCursor(Qt::PointingHandCursor);
    side->addWidget(Image1, 0, Qt::AlignHCenter);
    verLabel = new QLabel(this);
    verLabel->setObjectName(QStringLiteral("verLabel"));
    verLabel->setAlignment(Qt::AlignCenter);
    QFont vf = verLabel->font();
    vf.setBold(true);
    verLabel->setFont(vf);
    side->addWidget(verLabel);
    side->addStretch(1);
    BitBtn3 = new QPushButton(QStringLiteral("More...."), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setFixedWidth(56);
    side->addWidget(BitBtn3);
    middle->addLayout(side);
    layout->addLayout(middle, 1);

    cwlabel = new QLabel(this);
    cwlabel->setObjectName(QStringLiteral("cwlabel"));
    cwlabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(cwlabel);

    // Panel6: the cable.
    Panel6 = new QWidget(this);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->hide();
    auto *cableLayout = new QVBoxLayout(Panel6);
    cableLayout->setContentsMargins(4, 4, 4, 4);
    cableTitle = new QLabel(QStringLiteral("  T2x,T2618, r3x0 etc Data / SMS cable "), Panel6);
    cableTitle->setObjectName(QStringLiteral("cableTitle"));
    QFont tf = cableTitle->font();
    tf.setBold(true);
    cableTitle->setFont(tf);
    cableTitle->setAlignment(Qt::AlignCenter);
    cableLayout->addWidget(cableTitle);
    cableDiagram = new CableDiagram(Panel6);
    cableDiagram->setObjectName(QStringLiteral("cableDiagram"));
    cableLayout->addWidget(cableDiagram, 1);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), Panel6);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setFixedWidth(75);
    cableLayout->addWidget(BitBtn1, 0, Qt::AlignHCenter);

    connect(www, &ClickLabel::clicked, this, &AboutPage::wwwClick);
    connect(lblEmail, &ClickLabel::clicked, this, &AboutPage::lblEmailClick);
    connect(Image1, &ClickLabel::clicked, this, &AboutPage::Image1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &AboutPage::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &AboutPage::BitBtn1Click);
}

void AboutPage::fillTexts()
{
    VisitBox->setTitle(QStringLiteral(" For updates and GSM data cables please visit: "));
    cwlabel->setText(QStringLiteral("Free to use and share - no warranty of any kind"));
    verLabel->setText(Version);
    www->setText(WebAddress);
    www->setToolTip(WebLink);
    lblEmail->setText(MailAddress);
    lblEmail->setToolTip(QStringLiteral("mailto:") + MailAddress);
    Image1->setToolTip(WebLink);
}

QString AboutPage::infoText()
{
    return QStringLiteral(
        "TIPS\n"
        "- Mirvak talks to Ericsson T28, T2x, T2618 and R3x0 class phones over a serial "
        "data cable at 9600 baud. A plain charging cable will not do: the cable needs a "
        "level converter powered from pin 1 of the phone's system connector.\n"
        "- USB serial adapters show up as COM1, COM2, ... in the order /dev/ttyUSB*, "
        "/dev/ttyACM*, /dev/ttyS*. Pick yours on Settings -> Mirvak.\n"
        "- Your user must be allowed to open the port (group dialout).\n"
        "- Phones that refuse AT+CMGS get their SMS through the phone's binary mode; "
        "this takes a few seconds longer.\n"
        "- The SMS and ICQ books, the port and the ICQ numbers are kept in QXsms.phb in "
        "the folder Mirvak is started from.\n"
        "\n"
        "KNOWN PROBLEMS\n"
        "- Extended error replies (+CME ERROR: n) are only noticed when the phone falls "
        "silent, so a refused command takes about a second and a half.\n"
        "- Names containing national characters are stored byte for byte; the phone may "
        "show them differently.\n"
        "- Some adapters do not pass the break signal; if the phone stays in binary mode, "
        "switch it off and on.\n"
        "\n"
        "PLANNED\n"
        "- Melodies composer and ring types\n"
        "- Phone settings, call forwarding and call waiting pages\n"
        "- WAP and GPRS settings\n"
        "\n"
        "HISTORY\n"
        "v1.7c  Linux version; clearer messages when the port cannot be opened.\n"
        "v1.7   ICQ messages through a gateway number and its own SMS centre.\n"
        "v1.6   SIM and phone memory phonebooks, load and save as .pbk files.\n"
        "v1.5   SMS in binary mode for phones without AT+CMGS.\n"
        "v1.0   First version: SMS from the PC.\n");
}

QPixmap AboutPage::logo(qreal dpr)
{
    QPixmap pm(QSize(56, 56) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A round badge with a small phone and radio waves.
    QRadialGradient bg(QPointF(22, 20), 34);
    bg.setColorAt(0, QColor(90, 160, 230));
    bg.setColorAt(1, QColor(20, 60, 140));
    p.setPen(QPen(QColor(10, 30, 80), 1.5));
    p.setBrush(bg);
    p.drawEllipse(QRectF(2, 2, 52, 52));
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(235, 235, 235));
    p.drawRoundedRect(QRectF(20, 12, 14, 32), 3, 3);
    p.setBrush(QColor(120, 190, 120));
    p.drawRect(QRectF(22.5, 16, 9, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRect(QRectF(22.5 + c * 3.2, 27 + r * 3.8, 2.2, 2.2));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(30, 4, 14, 14), 0 * 16, 90 * 16);
    p.drawArc(QRectF(27, 1, 20, 20), 0 * 16, 90 * 16);
    return pm;
}

void AboutPage::wwwClick()
{
    openAddress(www->toolTip().isEmpty() ? WebLink : www->toolTip());
}

void AboutPage::lblEmailClick()
{
    openAddress(QStringLiteral("mailto:") + MailAddress);
}

void AboutPage::Image1Click()
{
    openAddress(WebLink);
}

void AboutPage::BitBtn3Click()
{
    emit pageRequested(Panel6);
}

void AboutPage::BitBtn1Click()
{
    emit pageRequested(this);
}

CableDiagram::CableDiagram(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(280, 150);
}

void CableDiagram::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width();
    const qreal h = height();

    // The phone's system connector seen from the front: eleven pins in a row,
    // drawn on the left so the wire labels fit on the right.
    const int pinCount = 11;
    const qreal pitch = 12;
    const qreal left = 12;
    const qreal top = 4;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(60, 60, 60));
    p.drawRoundedRect(QRectF(left - 5, top, pitch * pinCount + 10, 26), 4, 4);
    QFont small = font();
    small.setPixelSize(9);
    auto pinX = [&](int pin) { return left + pitch * (pin - 0.5); };
    for (int pin = 1; pin <= pinCount; ++pin) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 180, 60));
        p.drawRect(QRectF(pinX(pin) - 2.5, top + 13, 5, 10));
        p.setPen(Qt::white);
        p.setFont(small);
        p.drawText(QRectF(pinX(pin) - pitch / 2, top + 1, pitch, 11), Qt::AlignCenter, QString::number(pin));
    }
    p.setFont(font());

    // Rows from the highest pin down, so no wire crosses another on its way right.
    struct Wire { int pin; QColor colour; QString text; bool connected; };
    const Wire wires[] = {
        {8, QColor(0, 0, 200), QStringLiteral("8  data to phone (PC TxD)"), true},
        {7, QColor(0, 130, 0), QStringLiteral("7  data from phone (PC RxD)"), true},
        {3, QColor(140, 140, 140), QStringLiteral("3  not connected"), false},
        {2, QColor(0, 0, 0), QStringLiteral("2  ground"), true},
        {1, QColor(200, 0, 0), QStringLiteral("1  power out for the cable circuit"), true},
    };
    const qreal firstRow = top + 42;
    const qreal rowStep = qMax<qreal>(16, qMin<qreal>(26, (h - firstRow - 4) / 5));
    const qreal labelX = pinX(pinCount) + 12;
    for (int i = 0; i < 5; ++i) {
        const Wire &wire = wires[i];
        const qreal x = pinX(wire.pin);
        const qreal y = firstRow + i * rowStep;
        QPen pen(wire.colour, 2);
        if (!wire.connected)
            pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(x, top + 26);
        path.lineTo(x, y);
        if (wire.connected)
            path.lineTo(labelX - 6, y);
        p.drawPath(path);
        if (wire.connected) {
            p.setPen(Qt::NoPen);
            p.setBrush(wire.colour);
            p.drawEllipse(QPointF(labelX - 6, y), 2.5, 2.5);
        } else {
            p.setPen(QPen(wire.colour, 1.5));
            p.drawLine(QPointF(x - 4, y - 4), QPointF(x + 4, y + 4));
            p.drawLine(QPointF(x + 4, y - 4), QPointF(x - 4, y + 4));
        }
        // On the window's own colour, so in its text colour, dark theme or not.
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRectF(labelX, y - rowStep / 2, w - labelX, rowStep),
                   Qt::AlignVCenter | Qt::AlignLeft, wire.text);
    }
}
