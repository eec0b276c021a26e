#pragma once
// What the GSM information page tests share: the main window in a scratch
// book folder showing the page, its state at rest, and a line relay that
// can make the phone fall silent at a chosen moment.
#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QProgressBar>
#include <QSocketNotifier>
#include <QTest>
#include <QWidget>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "FormRig.h"
#include "Unit1/shell/InfoPage.h"
#include "Unit1/shell/SettingsPage.h"
#include "Unit1/shell/TForm1.h"
#include "Unit2/TForm2.h"

#include <QTabBar>

namespace infotest {

using guitest::ColourLog;

constexpr double TimeScale = 0.2;
inline int scaled(int ms) { return int(ms * TimeScale); }

inline const QColor Teal(0, 128, 128);
inline const QColor Silver(192, 192, 192);
inline const QColor Lime(0, 255, 0);
inline const QColor Red(255, 0, 0);
inline const QColor Grey(128, 128, 128);

// The main window showing the GSM information panel.
class Window : public guitest::FormRig {
public:
    Window()
    {
        openWindow();
        // Time-outs and holds at a fifth, far above the phone's answer times.
        form->link.setTiming(Timing().scaled(TimeScale));
        form->mainTabs->setCurrentIndex(3);
        form->settingsPage->showPanel(QStringLiteral("PanelInfo"));
        page = form->infoPage;
    }

    InfoPage *page = nullptr;
};

inline bool setOnTop(const QWidget *a, const QWidget *b)
{
    // The later sibling in the parent's child list is drawn over the earlier.
    const QObjectList &kids = a->parent()->children();
    return kids.indexOf(const_cast<QWidget *>(a)) > kids.indexOf(const_cast<QWidget *>(b));
}

// The page after an operation: port closed, link idle, both buttons usable
// and "Set" back over "Cancel".
inline void verifyIdle(Window &w)
{
    InfoPage *p = w.page;
    QVERIFY(!w.form->ComPort1.Connected());
    QCOMPARE(w.form->link.BusyPage(), 100);
    QVERIFY(p->btnInfo->isEnabled());
    QVERIFY(p->btnSetSMSC->isEnabled());
    QVERIFY(setOnTop(p->btnSetSMSC, p->btnAbort30));
}

// A pseudo-terminal between the program and the simulated phone. Bytes pass
// unchanged until the program writes its centre-set frame ("BQ" body); then,
// as chosen, the frame never reaches the phone, or it does and nothing but
// the phone's acknowledgement byte comes back.
class PtyRelay : public QObject {
public:
    enum class Cut { Nothing, DropCentreSet, SilenceAfterAck };

    ~PtyRelay() override
    {
        delete m_fromProgram;
        delete m_fromPhone;
        for (int fd : {m_master, m_keeper, m_phone})
            if (fd >= 0)
                ::close(fd);
    }

    bool start(const QString &phoneDevice, Cut cut)
    {
        m_cut = cut;
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return false;
        m_device = QString::fromLocal8Bit(::ptsname(m_master));
        // Held open so the program may close and reopen its side, and raw
        // from the start so the line discipline echoes nothing back.
        m_keeper = ::open(m_device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        m_phone = ::open(phoneDevice.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_keeper < 0 || m_phone < 0)
            return false;
        for (int fd : {m_keeper, m_phone}) {
            termios t{};
            ::tcgetattr(fd, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
        m_fromProgram = new QSocketNotifier(m_master, QSocketNotifier::Read);
        m_fromPhone = new QSocketNotifier(m_phone, QSocketNotifier::Read);
        QObject::connect(m_fromProgram, &QSocketNotifier::activated, this, [this] { fromProgram(); });
        QObject::connect(m_fromPhone, &QSocketNotifier::activated, this, [this] { fromPhone(); });
        return true;
    }

    QString device() const { return m_device; }
    // The centre-set frame has been seen (and dealt with as chosen).
    bool cutDone() const { return m_cutting; }
    QByteArray programBytes() const { return m_programBytes; }

private:
    static QByteArray drain(int fd, QSocketNotifier *n)
    {
        QByteArray out;
        char buf[512];
        for (;;) {
            const ssize_t got = ::read(fd, buf, sizeof buf);
            if (got > 0) {
                out.append(buf, got);
                continue;
            }
            if (got == 0 || (errno != EAGAIN && errno != EINTR))
                n->setEnabled(false); // the other side is gone
            if (got < 0 && errno == EINTR)
                continue;
            return out;
        }
    }
    static void put(int fd, const QByteArray &data)
    {
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EINTR && errno != EAGAIN)
                return;
        }
    }
    void fromProgram()
    {
        QByteArray data = drain(m_master, m_fromProgram);
        if (data.isEmpty() || (m_cutting && m_cut == Cut::DropCentreSet))
            return;
        const qsizetype before = m_programBytes.size();
        m_programBytes += data;
        if (!m_cutting && m_cut != Cut::Nothing) {
            const qsizetype at = m_programBytes.indexOf(QByteArray("BQ"), qMax<qsizetype>(0, before - 3));
            if (at >= 2 && m_programBytes.at(at - 2) == '\x02') {
                m_cutting = true;
                if (m_cut == Cut::DropCentreSet) {
                    data.truncate(qMax<qsizetype>(0, at - 2 - before));
                    m_phoneMuted = true;
                } else {
                    m_waitingForAck = true;
                }
            }
        }
        put(m_phone, data);
    }
    void fromPhone()
    {
        const QByteArray data = drain(m_phone, m_fromPhone);
        if (m_phoneMuted || data.isEmpty())
            return;
        if (m_waitingForAck) {
            if (!data.contains('\x06'))
                return;
            m_waitingForAck = false;
            m_phoneMuted = true;
            put(m_master, QByteArray(1, '\x06'));
            return;
        }
        put(m_master, data);
    }

    Cut m_cut = Cut::Nothing;
    int m_master = -1, m_keeper = -1, m_phone = -1;
    QString m_device;
    QSocketNotifier *m_fromProgram = nullptr;
    QSocketNotifier *m_fromPhone = nullptr;
    QByteArray m_programBytes;
    bool m_cutting = false;
    bool m_phoneMuted = false;
    bool m_waitingForAck = false;
};

} // namespace infotest
