#pragma once
// What the SMS page tests share: the main window in a scratch working folder
// with the simulated phone as COM1, a recorder of the status line, and the
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
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "SimPhone.h"
#include "Unit1/messaging/SmsPage.h"
#include "Unit1/shell/InfoPage.h"
#include "Unit1/shell/TForm1.h"
#include "Unit2/TForm2.h"
#include "passoverbtn/TPassOverBtn.h"

namespace smstest {

inline const QColor Red(255, 0, 0);
inline const QColor Silver(192, 192, 192);
inline const QColor Black(0, 0, 0);
inline const QColor LightRed(210, 98, 98);

// Every colour a widget's palette role took, in order.
class ColourLog : public QObject {
public:
    ColourLog(QWidget *w, QPalette::ColorRole role) : m_widget(w), m_role(role) { w->installEventFilter(this); }
    QList<QColor> seen;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == m_widget && e->type() == QEvent::PaletteChange) {
            const QColor c = m_widget->palette().color(m_role);
            if (seen.isEmpty() || seen.last() != c)
                seen.append(c);
        }
        return false;
    }

private:
    QWidget *m_widget;
    QPalette::ColorRole m_role;
};

// Runs `probe` every few milliseconds while a send runs inside a click: the
// send's own waits serve the timer.
class Poller : public QObject {
public:
    explicit Poller(std::function<void()> probe, int ms = 5) : m_probe(std::move(probe))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { m_probe(); });
        m_timer.start(ms);
    }
    void stop() { m_timer.stop(); }

private:
    std::function<void()> m_probe;
    QTimer m_timer;
};

// The main window in a scratch folder on the SMS tab, the phone on COM1.
class Rig {
public:
    explicit Rig(const QStringList &simArgs = {}, const QJsonObject &phone = {})
        : sim(simArgs, phone)
    {
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        // The port's own trace shows every byte the program wrote.
        qputenv("MIRVAK_TRACE", m_dir.filePath(QStringLiteral("link.trace")).toLocal8Bit());
        m_simStarted = sim.start();
        sim.useAsCom(1);
        form = std::make_unique<TForm1>();
        form->show();
        QTest::qWait(0);
        if (form->Form2->isVisible())
            form->Form2->hide();
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
        form.reset();
        qunsetenv("MIRVAK_TRACE");
        QDir::setCurrent(m_oldDir);
    }
    bool ok() const { return m_dir.isValid() && m_simStarted && m_active && page; }

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
        QFile f(m_dir.filePath(QStringLiteral("link.trace")));
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
        return form->link.BusyPage == PhoneLink::Idle && !form->ComPort1.Connected();
    }

    SimPhone sim;
    std::unique_ptr<TForm1> form;
    SmsPage *page = nullptr;
    QStringList statuses;

private:
    QTemporaryDir m_dir;
    QString m_oldDir;
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
