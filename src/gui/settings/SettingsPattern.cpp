// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/SettingsPattern.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "link/PhoneLink.h"
#include "gui/common/Flash.h"
#include "gui/common/Palette.h"

namespace SettingsPattern {

namespace {
bool g_refreshing = false;

class DefaultButton : public QObject {
public:
    DefaultButton(QWidget *edit, QPushButton *button) : QObject(edit), m_button(button)
    {
        edit->installEventFilter(this);
        button->setAutoDefault(false);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
            m_button->setDefault(true);
            break;
        case QEvent::FocusOut:
            m_button->setDefault(false);
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (m_button->isDefault() && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                if (m_button->isEnabled())
                    m_button->click();
                return true;
            }
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    QPushButton *m_button;
};
} // namespace

bool refreshing()
{
    return g_refreshing;
}

Refreshing::Refreshing() : m_was(g_refreshing)
{
    g_refreshing = true;
}

Refreshing::~Refreshing()
{
    g_refreshing = m_was;
}

void markReading(QWidget *w)
{
    Palette::paint(w, Palette::Teal);
    w->repaint();
}

void restoreColour(QWidget *w)
{
    const bool field = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w);
    Palette::paint(w, field ? Palette::Fill(Palette::Silver) : Palette::ButtonFace);
    w->update();
}

void flashStatus(PhoneLink &link, QLabel *label, bool ok, int ms)
{
    flash(link, label, ok ? Palette::Lime : Palette::Red, ms, ok ? QStringLiteral("OK") : QStringLiteral("Error"));
}

void defaultWhileFocused(QWidget *edit, QPushButton *button)
{
    new DefaultButton(edit, button);
}

} // namespace SettingsPattern

RadioGroup::RadioGroup(const QString &name, const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent), m_group(new QButtonGroup(this)), m_items(items)
{
    setObjectName(name);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto *item = new QRadioButton(items.at(i), this);
        item->setObjectName(name + QString::number(i));
        m_group->addButton(item, i);
        layout->addWidget(item);
    }
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index == itemIndex())
        return;
    if (QAbstractButton *item = m_group->button(index)) {
        item->setChecked(true);
        return;
    }
    m_group->setExclusive(false);
    for (QAbstractButton *item : m_group->buttons())
        item->setChecked(false);
    m_group->setExclusive(true);
}

void SettingsPattern::readPanel(PhoneLink &link, QPushButton *button, std::optional<int> lockPage,
                                const std::function<void()> &steps)
{
    const OperationGuard op(link, lockPage);
    if (!op)
        return;
    button->setEnabled(false);
    link.runGuarded([&] {
        steps();
        link.closePort();
    });
    button->setEnabled(true);
}

void SettingsPattern::writeChange(PhoneLink &link, const std::function<void()> &steps)
{
    if (refreshing())
        return;
    const OperationGuard op(link, std::nullopt);
    if (!op)
        return;
    link.runGuarded([&] {
        steps();
        link.closePort();
    });
}

QLabel *SettingsPattern::label(QWidget *parent, const char *name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QLabel *SettingsPattern::statusLabel(QWidget *parent, const char *name, const QString &caption, int minimumWidth)
{
    auto *label = SettingsPattern::label(parent, name, caption);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(minimumWidth);
    Palette::paint(label, Palette::ButtonFace);
    return label;
}
