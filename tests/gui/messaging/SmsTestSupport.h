// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the SMS page tests share: the window rig on the SMS tab with the
// simulated phone as COM1, the page's controls by name, a recorder of the
// status line, the controls as they stood during a send, and the
// simulator's log picked apart.
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>

#include "FormRig.h"
#include "gui/common/HoverButton.h"
#include "gui/common/Tab.h"
#include "gui/messaging/SmsPage.h"
#include "link/messaging/CentreService.h"

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
using guitest::Dialogs;

// The page's controls a user works with, in no particular order.
inline const QStringList Controls{"btnSend", "btnICQ", "btnAbort", "btnAbort2", "btnExit",
                                  "chkReply", "btnClear", "TextBox", "ComboBox1", "ComboBox2"};

// The main window on the SMS tab, the phone on COM1, the port traced.
class Rig : public guitest::FormRig {
public:
    explicit Rig(const QStringList &simArgs = {}, const QJsonObject &phone = {})
    {
        startPhone(simArgs, phone);
        traceLink();
        openWindow(Tab::Sms);
        fillIcqNumbers();
        page = find<SmsPage>(QStringLiteral("Panel1"));
        QObject::connect(page, &SmsPage::statusChanged, page, [this](const QString &s) { statuses.append(s); });
    }

    QPlainTextEdit *text() const { return find<QPlainTextEdit>(QStringLiteral("TextBox")); }
    QComboBox *combo(const char *name) const { return find<QComboBox>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const { return find<QPushButton>(QString::fromLatin1(name)); }
    QString status() const { return find<QLabel>(QStringLiteral("statusPanel0"))->text(); }

    void compose(const QString &message, const QString &recipient, bool reply = false)
    {
        text()->setPlainText(message);
        combo("ComboBox1")->setEditText(recipient);
        find<QCheckBox>(QStringLiteral("chkReply"))->setChecked(reply);
    }
    void composeIcq(const QString &message, const QString &icq)
    {
        text()->setPlainText(message);
        combo("ComboBox2")->setEditText(icq);
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
    void clickSend() { press("btnSend"); }
    void clickIcq() { press("btnICQ"); }
    void press(const char *name)
    {
        statuses.clear();
        QTest::mouseClick(button(name), Qt::LeftButton);
    }

    // Simulator log entries of one kind.
    QList<QJsonObject> entries(const QString &kind) const
    {
        QList<QJsonObject> out;
        for (const QJsonObject &o : sim->log())
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
        QString out;
        for (const QByteArray &line : trace().split('\n')) {
            const int at = line.indexOf(" > ");
            if (at < 0)
                continue;
            const int bar = line.indexOf("  |", at);
            out += QString::fromLatin1(line.mid(at + 3, bar < 0 ? -1 : bar - at - 3)) + QLatin1Char(' ');
        }
        return out;
    }
    int beeps() const { return int(trace().count("tone 1000 Hz 1 ms")); }
    bool portEverOpened() const { return events().contains(QStringLiteral("device opened")); }
    QString finalCentre()
    {
        return sim->stopAndDump().value(QStringLiteral("smsc")).toObject().value(QStringLiteral("number")).toString();
    }

    // The page idle again: the send buttons back, every control usable.
    bool idle() const
    {
        for (const QString &name : Controls)
            if (!name.startsWith(QLatin1String("btnAbort")) && (!find(name)->isVisible() || !find(name)->isEnabled()))
                return false;
        return form->link.lockedPage() == PhoneLink::Idle && !form->ComPort1.isOpen();
    }

    SmsPage *page = nullptr;
    QStringList statuses;
};

// The page's controls as they stood when the send wrote its first command
// to the phone.
class DuringSend {
public:
    explicit DuringSend(Rig &rig)
    {
        QObject::connect(&rig.form->link, &PhoneLink::commandWritten, &m_context, [this, &rig] {
            if (taken)
                return;
            taken = true;
            busyPage = rig.form->link.lockedPage();
            for (const QString &name : Controls) {
                visible[name] = rig.find(name)->isVisible();
                enabled[name] = rig.find(name)->isEnabled();
            }
        });
    }
    bool usable(const QString &name) const { return visible.value(name) && enabled.value(name); }

    bool taken = false;
    int busyPage = -1;
    QMap<QString, bool> visible, enabled;

private:
    QObject m_context; // ends the watch with this object
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
