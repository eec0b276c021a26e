// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the page tests watch as it happens, instead of sampling it: the
// dialogs that open (each answered in turn, from inside its own event loop),
// and every text a control is painted with.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace pagetest {

// While it lives, each dialog window that opens goes to the next step, run
// once the dialog's own event loop has started. A dialog past the last step
// is closed unanswered; `shown` counts them all.
class DialogSteps : public QObject {
public:
    using Step = std::function<void(QWidget *)>;

    explicit DialogSteps(QList<Step> steps = {}) : m_steps(std::move(steps)) { qApp->installEventFilter(this); }
    bool allTaken() const { return m_steps.isEmpty(); }
    int shown = 0;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Show || e->spontaneous() || !o->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(o);
        if (!w->isWindow() || !qobject_cast<QDialog *>(w))
            return false;
        ++shown;
        const Step step = m_steps.isEmpty() ? Step([](QWidget *d) { d->close(); }) : m_steps.takeFirst();
        QPointer<QWidget> dialog(w);
        QMetaObject::invokeMethod(this, [step, dialog] {
            if (dialog)
                step(dialog);
        }, Qt::QueuedConnection);
        return false;
    }

private:
    QList<Step> m_steps;
};

// A step for a file dialog: types `path` into its name box and accepts it.
// The dialog selects only files its model has listed already, so the name
// is typed; and once its folder is listed it may still put the file last
// chosen there, so the name is looked at again right before the dialog
// takes it.
inline void typeAndAccept(QFileDialog *d, const QString &path)
{
    auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (name->text() != path) {
        name->setText(path);
        QMetaObject::invokeMethod(d, [d, path] { typeAndAccept(d, path); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(d, "accept");
}

// Every text a label, button or edit box showed when it was painted, the
// one it had at the start first; a text painted again is noted once.
class TextLog : public QObject {
public:
    explicit TextLog(QWidget *w) : m_widget(w)
    {
        note();
        w->installEventFilter(this);
    }
    QStringList seen;
    void clear()
    {
        seen.clear();
        note();
    }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == m_widget && e->type() == QEvent::Paint)
            note();
        return false;
    }

private:
    QString text() const
    {
        if (auto *label = qobject_cast<QLabel *>(m_widget))
            return label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(m_widget))
            return button->text();
        if (auto *edit = qobject_cast<QLineEdit *>(m_widget))
            return edit->text();
        return {};
    }
    void note()
    {
        const QString t = text();
        if (seen.isEmpty() || seen.last() != t)
            seen << t;
    }

    QWidget *m_widget;
};

} // namespace pagetest
