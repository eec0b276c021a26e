// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/FirstShow.h"

#include <QEvent>

#include <utility>

namespace {
class ShowWatch : public QObject {
public:
    ShowWatch(QWidget *widget, std::function<void()> build) : QObject(widget), m_build(std::move(build))
    {
        widget->installEventFilter(this);
    }

    void run()
    {
        if (!m_build)
            return;
        parent()->removeEventFilter(this);
        const std::function<void()> build = std::exchange(m_build, nullptr);
        deleteLater();
        build();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            run();
        return false;
    }

private:
    std::function<void()> m_build;
};
} // namespace

void FirstShow::whenShown(QWidget *widget, std::function<void()> build)
{
    new ShowWatch(widget, std::move(build));
}

void FirstShow::buildNow(QWidget *widget)
{
    for (QObject *child : widget->children())
        if (auto *watch = dynamic_cast<ShowWatch *>(child))
            watch->run();
}
