#pragma once
// What the SMS page tests share: the main window, its book file in a scratch folder,
// the simulated phone as COM1, a recorder of the status line, and the
// simulator's log picked apart.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "FormRig.h"
#include "SimPhone.h"
#include "gui/messaging/SmsPage.h"
#include "gui/info/InfoPage.h"
#include "gui/window/TForm1.h"
#include "gui/window/TForm2.h"
#include "gui/common/TPassOverBtn.h"

namespace smstest {

inline const QColor Red(255, 0, 0);
inline const QColor Silver(192, 192, 192);
inline const QColor Black(0, 0, 0);
inline const QColor LightRed(210, 98, 98);

// The status line through a send, and the two centres the simulated phone
// and the ICQ gateway use.
inline const QString Start = QStringLiteral("SMS -> GSM ...");
inline const QString Waiting = QStringLiteral("Sent, waiting for confirmation..");
inline const QString Aborted = QStringLiteral("Aborted");
inline const QString OwnCentre = QStringLiteral("+46705008999");
inline const QString IcqCentre = QStringLiteral("+44802000332");

using guitest::ColourLog;
using guitest::Poller;

// Every time-out and hold at a fifth: still far above the simulated phone's
// own answer times, which stay in real time.
constexpr double TimeScale = 0.2;
inline int scaled(int ms) { return int(ms * TimeScale); }

// The main window on the SMS tab, the phone on COM1.
class Rig : public guitest::FormRig {
public:
    explicit Rig(const QStringList &simArgs = {}, const QJsonObject &phone = {})
        : sim(simArgs, phone)
    {
        // The port's own trace shows every byte the program wrote.
        qputenv("MIRVAK_TRACE", filePath(QStringLiteral("link.trace")).toLocal8Bit());
        m_simStarted = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(Timing().scaled(TimeScale));
        form->mainTabs->setCurrentIndex(0);
        // A fresh book file leaves blanks in memory; the ICQ tests need numbers.
        form->messaging.IcqSmscNumber = MessagingState::defaultIcqSmsc();
        form->messaging.IcqGatewayNumber = MessagingState::defaultIcqGateway();
        page = form->smsPage;
        form->activateWindow();
        m_active = QTest::qWaitForWindowActive(form.get());
        QObject::connect(page, &SmsPage::statusChanged, page, [this](const QString &s) { statuses.append(s); });
    }
    ~Rig()
    {
        closeWindow(); // while the phone it may talk to still runs
        qunsetenv("MIRVAK_TRACE");
    }
    bool ok() const { return FormRig::ok() && m_simStarted && m_active && page; }

    void compose(const QString &text, const QString &recipient, bool reply = false)
    {
        page->TextBox->setPlainText(text);
        page->ComboBox1->setEditText(recipient);
        page->chkReply->setChecked(reply);
    }
    void composeIcq(const QString &text, const QString &icq)
    {
        page->TextBox->setPlainText(text);
        page->ComboBox2->setEditText(icq);
    }
    // A short message to a phone number, or as ICQ to a user number; the
    // click returns when the send is over.
    void sendHello(bool icq)
    {
        if (icq) {
            composeIcq(QStringLiteral("hello"), QStringLiteral("12345"));
            clickIcq();
        } else {
            compose(QStringLiteral("hello"), QStringLiteral("+123456789"));
            clickSend();
        }
    }
    // The click returns when the send is over.
    void clickSend() { click(page->btnSend); }
    void clickIcq() { click(page->btnICQ); }
    void click(QPushButton *b)
    {
        statuses.clear();
        QTest::mouseClick(b, Qt::LeftButton);
    }

    // Simulator log entries of one kind.
    QList<QJsonObject> entries(const QString &kind) const
    {
        QList<QJsonObject> out;
        for (const QJsonObject &o : sim.log())
            if (o.value(QStringLiteral("t")).toString() == kind)
                out.append(o);
        return out;
    }
    QStringList framesIn() const
    {
        QStringList out;
        for (const QJsonObject &o : entries(QStringLiteral("frame-in")))
            out.append(o.value(QStringLiteral("hex")).toString().toUpper());
        return out;
    }
    QStringList events() const
    {
        QStringList out;
        for (const QJsonObject &o : entries(QStringLiteral("event")))
            out.append(o.value(QStringLiteral("what")).toString());
        return out;
    }
    // Everything written to the port, as upper-case hex with blanks.
    QString written() const
    {
        QFile f(filePath(QStringLiteral("link.trace")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString out;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const int at = line.indexOf(" > ");
            if (at < 0)
                continue;
            const int bar = line.indexOf("  |", at);
            out += QString::fromLatin1(line.mid(at + 3, bar < 0 ? -1 : bar - at - 3)) + QLatin1Char(' ');
        }
        return out;
    }
    bool portEverOpened() const { return events().contains(QStringLiteral("device opened")); }
    QString finalCentre()
    {
        return sim.stopAndDump().value(QStringLiteral("smsc")).toObject().value(QStringLiteral("number")).toString();
    }

    // The page idle again: the send buttons back, every control usable.
    bool idle() const
    {
        for (QWidget *w : {static_cast<QWidget *>(page->btnSend), static_cast<QWidget *>(page->btnICQ),
                           static_cast<QWidget *>(page->btnExit), static_cast<QWidget *>(page->chkReply),
                           static_cast<QWidget *>(page->btnClear), static_cast<QWidget *>(page->TextBox),
                           static_cast<QWidget *>(page->ComboBox1), static_cast<QWidget *>(page->ComboBox2)})
            if (!w->isVisible() || !w->isEnabled())
                return false;
        return form->link.BusyPage() == PhoneLink::Idle && !form->ComPort1.Connected();
    }

    SimPhone sim;
    SmsPage *page = nullptr;
    QStringList statuses;

private:
    bool m_simStarted = false;
    bool m_active = false;
};

// The message as the simulator decoded it.
struct Sent {
    QString number;
    QString text;
    bool replyPath = false;
    QString mode;
    QString smsc;
    bool lengthOk = false;
};
inline QList<Sent> sentMessages(const Rig &rig)
{
    QList<Sent> out;
    for (const QJsonObject &o : rig.entries(QStringLiteral("sms"))) {
        Sent s;
        s.number = o.value(QStringLiteral("number")).toString();
        s.text = o.value(QStringLiteral("text")).toString();
        s.replyPath = o.value(QStringLiteral("replyPath")).toBool();
        s.mode = o.value(QStringLiteral("mode")).toString();
        s.smsc = o.value(QStringLiteral("smsc")).toString();
        s.lengthOk = o.value(QStringLiteral("lengthOk")).toBool();
        out.append(s);
    }
    return out;
}

} // namespace smstest
