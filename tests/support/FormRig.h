// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one rig of every test that drives the real main window: MainWindow with
// its book file in a scratch folder, optionally the simulated phone as COM1,
// the link's times scaled down and a tab in front. Beside it, what such a
// test observes the window with: the colours a widget was painted with and
// every dialog as it comes up. Controls are found by name (Find.h).
#include <QAbstractButton>
#include <QColor>
#include <QDialog>
#include <QEvent>
#include <QFileSystemWatcher>
#include <QJsonObject>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <functional>
#include <memory>

#include "Find.h"
#include "Scratch.h"
#include "SimPhone.h"
#include "gui/common/Tab.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/window/MainWindow.h"
#include "gui/window/PortErrorDialog.h"
#include "link/Timing.h"

namespace guitest {

// Every time-out and hold at a fifth: still far above the simulated phone's
// own answer times, which stay in real time.
constexpr double TimeScale = 0.2;
inline int scaled(int ms) { return int(std::lround(ms * TimeScale)); }

// The link's time-outs at `scale`, but its holds (flashes, settles, the
// halves of a break, rests) at a tenth of that: a hold only waits out real
// time, while a time-out must outlast a loaded machine's answer.
inline Timing testTiming(double scale = TimeScale)
{
    Timing t = Timing().scaled(scale);
    const Timing holds = Timing().scaled(scale / 10);
    t.binarySettle = holds.binarySettle;
    t.breakHalf = holds.breakHalf;
    t.escapeSettle = holds.escapeSettle;
    t.linkRest = holds.linkRest;
    t.flash = holds.flash;
    t.flashShort = holds.flashShort;
    t.flashLong = holds.flashLong;
    return t;
}

// Every colour a widget's palette role took, in order.
class ColourLog : public QObject {
public:
    ColourLog(QWidget *w, QPalette::ColorRole role) : m_widget(w), m_role(role) { w->installEventFilter(this); }
    QList<QColor> seen;
    bool saw(const QColor &c) const { return seen.contains(c); }

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

// Hands every dialog window to `answer` as it comes up (a message box, the
// error dialog). The hand-over is queued: by then the dialog's own wait has
// begun, so a click in `answer` ends that wait as a user's click would.
class Dialogs : public QObject {
public:
    explicit Dialogs(std::function<void(QWidget *)> answer) : m_answer(std::move(answer))
    {
        qApp->installEventFilter(this);
    }
    ~Dialogs() override { qApp->removeEventFilter(this); }
    int count = 0; // dialogs handed over so far

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Show || !o->isWidgetType())
            return false;
        auto *dialog = qobject_cast<QDialog *>(o);
        if (!dialog || !dialog->isWindow())
            return false;
        QMetaObject::invokeMethod(
            this,
            [this, shown = QPointer<QDialog>(dialog)] {
                if (shown && shown->isVisible()) {
                    ++count;
                    m_answer(shown);
                }
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    std::function<void(QWidget *)> m_answer;
};

// What a dialog said: the error dialog's reason, a message box's text.
inline QString dialogText(const QWidget *dialog)
{
    if (auto *form2 = qobject_cast<const PortErrorDialog *>(dialog))
        return form2->reason();
    if (auto *box = qobject_cast<const QMessageBox *>(dialog))
        return box->text();
    return dialog->windowTitle();
}

// Answers a dialog as a user would: the error dialog's OK, a message box's
// OK, else its default button, else its first.
inline void answerAsUser(QWidget *dialog)
{
    if (qobject_cast<PortErrorDialog *>(dialog)) {
        QTest::mouseClick(find<QPushButton>(dialog, QStringLiteral("BitBtn1")), Qt::LeftButton);
        return;
    }
    auto *box = qobject_cast<QMessageBox *>(dialog);
    QAbstractButton *button = box ? box->button(QMessageBox::Ok) : nullptr;
    if (box && !button)
        button = box->defaultButton() ? static_cast<QAbstractButton *>(box->defaultButton()) : box->buttons().value(0);
    if (button)
        button->click();
    else if (auto *d = qobject_cast<QDialog *>(dialog))
        d->reject();
}

// The phone's own binary-mode delays at TimeScale, unless `state` sets them.
inline QJsonObject scaledPhone(QJsonObject state)
{
    if (!state.contains(QLatin1String("binaryDelayPercent")))
        state.insert(QStringLiteral("binaryDelayPercent"), int(std::lround(TimeScale * 100)));
    return state;
}

// A scratch folder from construction on; openWindow() shows the main window
// with its book file there. Whatever the window needs to find at start (a
// phone as COM1, a trace file, a book file) is set up between the two.
class FormRig {
public:
    FormRig() = default;
    ~FormRig()
    {
        closeWindow(); // while the phone it may talk to still runs
        sim.reset();
        if (m_traced)
            qunsetenv("MIRVAK_TRACE");
        // A window after this rig must reach neither the stopped phone's
        // device (its number may go to another program's terminal) nor a
        // real serial port.
        if (m_comSet)
            unplugPhone();
    }
    FormRig(const FormRig &) = delete;
    FormRig &operator=(const FormRig &) = delete;

    // The simulated phone, started with these options and this state, as
    // COM1. False (and ok() false) when it did not start. Its own delays in
    // binary mode are scaled as the link's time-outs are, unless the state
    // says otherwise.
    bool startPhone(const QStringList &args = {}, const QJsonObject &state = {})
    {
        sim = std::make_unique<SimPhone>(args, scaledPhone(state));
        m_phoneOk = sim->start();
        if (m_phoneOk) {
            sim->useAsCom(1);
            m_comSet = true;
        } else {
            unplugPhone(); // an empty name would fall back to the machine's own ports
        }
        return m_phoneOk;
    }
    // COM1 names a device that is not there.
    QString unplugPhone()
    {
        const QString path = filePath(QStringLiteral("unplugged"));
        qputenv("MIRVAK_COM1", QFile::encodeName(path));
        m_comSet = true;
        return path;
    }
    // Every byte the port moves and every tone, into trace().
    void traceLink()
    {
        m_dir.write(QStringLiteral("link.trace"), {}); // there to be watched (TraceWatch)
        qputenv("MIRVAK_TRACE", QFile::encodeName(tracePath()));
        m_traced = true;
    }
    QString tracePath() const { return filePath(QStringLiteral("link.trace")); }
    QByteArray trace() const { return m_dir.read(QStringLiteral("link.trace")); }

    void openWindow()
    {
        form = std::make_unique<MainWindow>(nullptr, m_dir.path());
        form->show();
        form->activateWindow();
        m_shown = QTest::qWaitForWindowActive(form.get());
        closeDialogs();
    }
    // The window with `tab` in front and the link's times scaled.
    void openWindow(Tab::Page tab, double timeScale = TimeScale)
    {
        openWindow();
        form->link.setTiming(testTiming(timeScale));
        find<QTabBar>(QStringLiteral("mainTabs"))->setCurrentIndex(int(tab));
    }
    // Before anything the window's user outlives (the phone) goes.
    void closeWindow() { form.reset(); }
    // The error dialog left over from an earlier step goes.
    void closeDialogs()
    {
        if (form && form->portErrorDialog && form->portErrorDialog->isVisible())
            form->portErrorDialog->hide();
    }
    // A fresh book file leaves the ICQ numbers blank; a send to ICQ needs them.
    void fillIcqNumbers()
    {
        form->books->icqNumbers = IcqNumbers();
    }

    bool ok() const { return m_dir.ok() && m_phoneOk && (!form || m_shown); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    const Scratch &dir() const { return m_dir; }

    template <typename T = QWidget>
    T *find(const QString &name) const
    {
        return guitest::find<T>(form.get(), name);
    }
    void click(const QString &name) const { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }

    std::unique_ptr<SimPhone> sim;
    std::unique_ptr<MainWindow> form;

private:
    Scratch m_dir;
    bool m_phoneOk = true;
    bool m_shown = true;
    bool m_traced = false;
    bool m_comSet = false;
};

// Calls `grew` each time the port's trace (FormRig::traceLink) has grown: a
// byte written or read, a port operation. The file system tells as it
// happens, so it reaches the test inside the wait that follows a write the
// link announces no other way.
class TraceWatch : public QObject {
public:
    TraceWatch(const FormRig &rig, std::function<void()> grew)
    {
        m_watch.addPath(rig.tracePath());
        connect(&m_watch, &QFileSystemWatcher::fileChanged, this, std::move(grew));
    }

private:
    QFileSystemWatcher m_watch;
};

} // namespace guitest
