// The hover button and the two dialogs on their own.
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include "gui/window/TForm2.h"
#include "gui/window/TForm5.h"
#include "gui/common/TPassOverBtn.h"

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
    void okDialog();
};

void TstShellWidgets::passOverDefaults()
{
    TPassOverBtn b(QStringLiteral("Send SMS"));
    QCOMPARE(b.FontColorIn(), QColor(Qt::red));
    QCOMPARE(b.FontColorOut(), QColor(Qt::black));
    QVERIFY(b.GlyphIn().isNull());
    QVERIFY(b.GlyphOut().isNull());
    QCOMPARE(b.fontColor(), QColor(Qt::black));
    QCOMPARE(b.text(), QStringLiteral("Send SMS"));
}

void TstShellWidgets::passOverSignalsFireBeforeTheChange()
{
    TPassOverBtn b(QStringLiteral("ICQ"));
    b.setFontColorIn(QColor(0, 0, 128)); // navy, as on the SMS page
    const QIcon in = solidIcon(Qt::green);
    const QIcon out = solidIcon(Qt::gray);
    b.setGlyphIn(in);
    b.setGlyphOut(out);
    QCOMPARE(b.icon().cacheKey(), out.cacheKey()); // resting picture shown at once

    QStringList events;
    connect(&b, &TPassOverBtn::OnMouseOver, this, [&] {
        events << QStringLiteral("over:%1:%2").arg(b.fontColor().name()).arg(b.icon().cacheKey() == in.cacheKey());
    });
    connect(&b, &TPassOverBtn::OnMouseOut, this, [&] {
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
    TPassOverBtn b;
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
    TPassOverBtn b;
    sendEnter(&b);
    b.setFontColorOut(Qt::darkGreen); // not shown until the pointer leaves
    QCOMPARE(b.fontColor(), QColor(Qt::red));
    b.setFontColorIn(Qt::magenta);
    QCOMPARE(b.fontColor(), QColor(Qt::magenta));
    sendLeave(&b);
    QCOMPARE(b.fontColor(), QColor(Qt::darkGreen));
}

void TstShellWidgets::errorDialog()
{
    TForm2 f;
    QCOMPARE(f.windowTitle(), QStringLiteral("Error"));
    QCOMPARE(f.size(), QSize(143, 122));
    QVERIFY(!f.testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(f.Image1->size(), QSize(32, 32));
    QVERIFY(!f.Image1->pixmap().isNull());
    QCOMPARE(f.BitBtn1->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(f.BitBtn1->text(), QStringLiteral("OK"));

    // A long device path must stay readable: the box grows, never wider.
    const QString reason = QStringLiteral("/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0: "
                                          "permission denied: add your user to the dialout group");
    f.setReason(reason);
    f.show();
    QVERIFY(f.isVisible());
    QVERIFY(f.lblReason->isVisible());
    QCOMPARE(f.reason(), reason);
    QCOMPARE(f.width(), 143);
    QVERIFY(f.height() >= 122);
    QVERIFY2(f.lblReason->heightForWidth(f.lblReason->width()) <= f.lblReason->height(),
             qPrintable(QStringLiteral("needs %1, has %2 x %3").arg(f.lblReason->heightForWidth(f.lblReason->width()))
                            .arg(f.lblReason->width()).arg(f.lblReason->height())));
    QVERIFY(f.lblReason->geometry().bottom() < f.BitBtn1->geometry().top());

    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    QVERIFY(!f.isVisible());

    f.setReason(QString());
    QVERIFY(f.lblReason->isHidden());
    QCOMPARE(f.size(), QSize(143, 122));
}

void TstShellWidgets::okDialog()
{
    TForm5 f;
    QCOMPARE(f.windowTitle(), QStringLiteral("OK"));
    QCOMPARE(f.size(), QSize(124, 112));
    QVERIFY(!f.Image1->pixmap().isNull());
    QVERIFY(!f.Image2->pixmap().isNull());
    QCOMPARE(f.BitBtn1->cursor().shape(), Qt::PointingHandCursor);
    f.show();
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    QVERIFY(!f.isVisible());
}

QTEST_MAIN(TstShellWidgets)
#include "tst_gui_shell_widgets.moc"
