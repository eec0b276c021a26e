// SPDX-License-Identifier: GPL-2.0-or-later
// The hover button and the two dialogs on their own.
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include "Find.h"
#include "gui/common/Palette.h"
#include "gui/common/HoverButton.h"
#include "gui/window/PortErrorDialog.h"

namespace {
QIcon solidIcon(const QColor &c)
{
    QPixmap pm(16, 16);
    pm.fill(c);
    return QIcon(pm);
}

void sendEnter(QWidget *w)
{
    QEnterEvent ev(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QApplication::sendEvent(w, &ev);
}

void sendLeave(QWidget *w)
{
    QEvent ev(QEvent::Leave);
    QApplication::sendEvent(w, &ev);
}
} // namespace

class TstShellWidgets : public QObject {
    Q_OBJECT
private slots:
    void passOverDefaults();
    void passOverSignalsFireBeforeTheChange();
    void passOverEmptyGlyphKeepsPicture();
    void passOverColourChangedWhileInside();
    void errorDialog();
};

void TstShellWidgets::passOverDefaults()
{
    HoverButton b(QStringLiteral("Send SMS"));
    QCOMPARE(b.FontColorIn(), QColor(Qt::red));
    QCOMPARE(b.FontColorOut(), QColor(Qt::black));
    QVERIFY(b.GlyphIn().isNull());
    QVERIFY(b.GlyphOut().isNull());
    QCOMPARE(b.fontColor(), QColor(Qt::black));
    QCOMPARE(b.text(), QStringLiteral("Send SMS"));
}

void TstShellWidgets::passOverSignalsFireBeforeTheChange()
{
    HoverButton b(QStringLiteral("ICQ"));
    b.setFontColorIn(QColor(0, 0, 128)); // navy, as on the SMS page
    const QIcon in = solidIcon(Qt::green);
    const QIcon out = solidIcon(Qt::gray);
    b.setGlyphIn(in);
    b.setGlyphOut(out);
    QCOMPARE(b.icon().cacheKey(), out.cacheKey()); // resting picture shown at once

    QStringList events;
    connect(&b, &HoverButton::OnMouseOver, this, [&] {
        events << QStringLiteral("over:%1:%2").arg(b.fontColor().name()).arg(b.icon().cacheKey() == in.cacheKey());
    });
    connect(&b, &HoverButton::OnMouseOut, this, [&] {
        events << QStringLiteral("out:%1:%2").arg(b.fontColor().name()).arg(b.icon().cacheKey() == in.cacheKey());
    });

    sendEnter(&b);
    QCOMPARE(events, QStringList{QStringLiteral("over:#000000:0")});
    QCOMPARE(b.fontColor(), QColor(0, 0, 128));
    QCOMPARE(b.icon().cacheKey(), in.cacheKey());

    sendLeave(&b);
    QCOMPARE(events.size(), 2);
    QCOMPARE(events.at(1), QStringLiteral("out:#000080:1"));
    QCOMPARE(b.fontColor(), QColor(Qt::black));
    QCOMPARE(b.icon().cacheKey(), out.cacheKey());
}

void TstShellWidgets::passOverEmptyGlyphKeepsPicture()
{
    HoverButton b;
    const QIcon own = solidIcon(Qt::blue);
    b.setIcon(own);
    sendEnter(&b);
    QCOMPARE(b.icon().cacheKey(), own.cacheKey());
    QCOMPARE(b.fontColor(), QColor(Qt::red));
    sendLeave(&b);
    QCOMPARE(b.icon().cacheKey(), own.cacheKey());
    QCOMPARE(b.fontColor(), QColor(Qt::black));
}

void TstShellWidgets::passOverColourChangedWhileInside()
{
    HoverButton b;
    sendEnter(&b);
    b.setFontColorOut(Qt::darkGreen); // not shown until the pointer leaves
    QCOMPARE(b.fontColor(), QColor(Qt::red));
    b.setFontColorIn(Qt::darkMagenta);
    QCOMPARE(b.fontColor(), QColor(Qt::darkMagenta));
    // A colour too faint on the button face is shown darker, never as given.
    b.setFontColorIn(Qt::yellow);
    QVERIFY(Palette::contrast(b.fontColor(), b.palette().color(QPalette::Button)) >= 3.0);
    sendLeave(&b);
    QCOMPARE(b.fontColor(), QColor(Qt::darkGreen));
}

void TstShellWidgets::errorDialog()
{
    PortErrorDialog f;
    auto *image = guitest::find<QLabel>(&f, QStringLiteral("Image1"));
    auto *reasonLabel = guitest::find<QLabel>(&f, QStringLiteral("lblReason"));
    auto *ok = guitest::find<QPushButton>(&f, QStringLiteral("BitBtn1"));
    QCOMPARE(f.windowTitle(), QStringLiteral("Error"));
    QCOMPARE(f.size(), QSize(143, 122));
    QVERIFY(!f.testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(image->size(), QSize(32, 32));
    QVERIFY(!image->pixmap().isNull());
    QCOMPARE(ok->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(ok->text(), QStringLiteral("OK"));

    // A long device path must stay readable: the box grows, never wider.
    const QString reason = QStringLiteral("/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0: "
                                          "permission denied: add your user to the dialout group");
    f.setReason(reason);
    f.show();
    QVERIFY(f.isVisible());
    QVERIFY(reasonLabel->isVisible());
    QCOMPARE(f.reason(), reason);
    QCOMPARE(f.width(), 143);
    QVERIFY(f.height() >= 122);
    QVERIFY2(reasonLabel->heightForWidth(reasonLabel->width()) <= reasonLabel->height(),
             qPrintable(QStringLiteral("needs %1, has %2 x %3").arg(reasonLabel->heightForWidth(reasonLabel->width()))
                            .arg(reasonLabel->width()).arg(reasonLabel->height())));
    QVERIFY(reasonLabel->geometry().bottom() < ok->geometry().top());

    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!f.isVisible());

    f.setReason(QString());
    QVERIFY(reasonLabel->isHidden());
    QCOMPARE(f.size(), QSize(143, 122));
}

QTEST_MAIN(TstShellWidgets)
#include "tst_gui_shell_widgets.moc"
