// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/FirstShow.h"

#include <QEvent>

namespace {
class ShowWatch : public QObject {
public:
    ShowWatch(QWidget *widget, std::function<void()> build) : QObject(widget), m_build(std::move(build))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            const std::function<void()> build = std::move(m_build);
            deleteLater();
            build();
        }
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
