#pragma once
// What the tests of the real main window share: the window with a scratch
// folder for its book file, a recorder
// of the colours a widget was painted with, and a probe that runs while a
// click is being handled.
#include <QColor>
#include <QEvent>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "Find.h"
#include "Scratch.h"
#include "gui/window/TForm1.h"
#include "gui/window/TForm2.h"

namespace guitest {

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

// Runs `probe` every few milliseconds while a phone operation runs inside a
// click: the operation's own waits serve the timer.
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

// A scratch folder from construction on; openWindow() shows the main window
// with its book file there. Whatever the window needs to find at start (a
// phone as COM1, a trace file) is set up between the two.
class FormRig {
public:
    FormRig() = default;
    ~FormRig() { closeWindow(); }
    FormRig(const FormRig &) = delete;
    FormRig &operator=(const FormRig &) = delete;

    void openWindow()
    {
        form = std::make_unique<TForm1>(nullptr, m_dir.path());
        form->show();
        // A new book file may greet the user with a dialog; nothing here needs it.
        closeDialogs();
    }
    // Before anything the window's user outlives (the phone) goes.
    void closeWindow() { form.reset(); }
    void closeDialogs()
    {
        QTest::qWait(0);
        if (form->Form2 && form->Form2->isVisible())
            form->Form2->hide();
    }
    bool ok() const { return m_dir.ok(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    std::unique_ptr<TForm1> form;

private:
    Scratch m_dir;
};

} // namespace guitest
