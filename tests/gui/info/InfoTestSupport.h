// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the GSM information page tests share: the main window in a scratch
// book folder showing the page, its controls by name, its state at rest,
// and a line relay that can make the phone fall silent at a chosen moment.
#include <QByteArray>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <QWidget>
#include <functional>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "../books/Observers.h"
#include "FormRig.h"
#include "PtyPeer.h"
#include "gui/info/InfoPage.h"
#include "gui/settings/SettingsPage.h"
#include "gui/window/MainWindow.h"
#include "gui/window/PortErrorDialog.h"

#include <QTabBar>

namespace infotest {

using guitest::ColourLog;
using pagetest::DialogSteps;

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
        page = guitest::find<InfoPage>(form.get(), QStringLiteral("PanelInfo"));
    }

    template <typename T> T *find(const char *name) const { return guitest::find<T>(page, QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QLineEdit *field(const char *name) const { return find<QLineEdit>(name); }
    QProgressBar *gauge(const char *name) const { return find<QProgressBar>(name); }
    QLabel *label(const char *name) const { return find<QLabel>(name); }
    // A control anywhere in the window.
    template <typename T> T *anywhere(const char *name) const
    {
        return guitest::find<T>(form.get(), QString::fromLatin1(name));
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
    QVERIFY(!w.form->ComPort1.isOpen());
    QCOMPARE(w.form->link.lockedPage(), 100);
    QVERIFY(w.button("btnInfo")->isEnabled());
    QVERIFY(w.button("btnSetSMSC")->isEnabled());
    QVERIFY(setOnTop(w.button("btnSetSMSC"), w.button("btnAbort30")));
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
        delete m_fromPhone;
        if (m_phone >= 0)
            ::close(m_phone);
    }

    bool start(const QString &phoneDevice, Cut cut)
    {
        m_cut = cut;
        if (!m_program.isOpen())
            return false;
        m_phone = ::open(phoneDevice.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_phone < 0)
            return false;
        // Raw, so the line discipline neither echoes nor changes a byte.
        termios t{};
        ::tcgetattr(m_phone, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_phone, TCSANOW, &t);
        m_program.onData = [this](const QByteArray &chunk) { fromProgram(chunk); };
        m_fromPhone = new QSocketNotifier(m_phone, QSocketNotifier::Read);
        QObject::connect(m_fromPhone, &QSocketNotifier::activated, this, [this] { fromPhone(); });
        return true;
    }

    QString device() const { return m_program.device(); }
    // The centre-set frame has been seen (and dealt with as chosen).
    bool cutDone() const { return m_cutting; }
    // Called once the phone's acknowledgement of the centre-set frame has
    // gone to the program (SilenceAfterAck).
    std::function<void()> onAckPassed;
    QByteArray programBytes() const { return m_programBytes; }

private:
    void fromProgram(QByteArray data)
    {
        if (m_cutting && m_cut == Cut::DropCentreSet)
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
        PtyPeer::writeAll(m_phone, data);
    }
    void fromPhone()
    {
        const QByteArray data = PtyPeer::drain(m_phone, m_fromPhone);
        if (m_phoneMuted || data.isEmpty())
            return;
        if (m_waitingForAck) {
            if (!data.contains('\x06'))
                return;
            m_waitingForAck = false;
            m_phoneMuted = true;
            m_program.send(QByteArray(1, '\x06'));
            if (onAckPassed)
                onAckPassed();
            return;
        }
        m_program.send(data);
    }

    Cut m_cut = Cut::Nothing;
    // The program's end of the line; its device is what the program opens.
    PtyPeer m_program;
    int m_phone = -1;
    QSocketNotifier *m_fromPhone = nullptr;
    QByteArray m_programBytes;
    bool m_cutting = false;
    bool m_phoneMuted = false;
    bool m_waitingForAck = false;
};

} // namespace infotest
