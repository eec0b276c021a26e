// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/Settings1Panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

#include "gui/common/Tab.h"
#include "gui/settings/SettingsPattern.h"
#include "link/PhoneLink.h"

using namespace SettingsPattern;

namespace {
const QStringList AnswerItems{QStringLiteral("Off"), QStringLiteral("Any Key"), QStringLiteral("Auto")};
const QStringList SoundItems{QStringLiteral("Silent"), QStringLiteral("Click"), QStringLiteral("Tone")};

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}
} // namespace

Settings1Panel::Settings1Panel(PhoneLink &link, QWidget *parent)
    : SettingsPanel(QStringLiteral("panelSet1"), QStringLiteral("Settings - 1"), parent),
      m_link(link),
      m_settings(link)
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("panelSet1Content"));
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);

    chkMM = checkBox(content, "chkMM", QStringLiteral("Minute Minder"));
    chkKeyLock = checkBox(content, "chkKeyLock", QStringLiteral("Auto Keylock"));
    radioAM = new RadioGroup(QStringLiteral("radioAM"), QStringLiteral("Answer Mode"), AnswerItems, content);
    KeySound = new RadioGroup(QStringLiteral("KeySound"), QStringLiteral("Key Sound"), SoundItems, content);
    MessageSound = new RadioGroup(QStringLiteral("MessageSound"), QStringLiteral("Msg Alert"), SoundItems, content);
    BtnSet1 = readButton(content, "BtnSet1", QStringLiteral("Read settings from phone"));

    // Two groups to a row: three side by side are wider than the panel.
    grid->addWidget(chkMM, 0, 0, 1, 2);
    grid->addWidget(BtnSet1, 0, 2, 2, 1, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(chkKeyLock, 1, 0, 1, 2);
    // Each group as wide as its items: a click beside an item's text does
    // not choose it.
    grid->addWidget(radioAM, 2, 0, Qt::AlignLeft);
    grid->addWidget(KeySound, 2, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(MessageSound, 3, 0, Qt::AlignLeft);
    addContent(content);
    for (QWidget *w : {static_cast<QWidget *>(chkMM), static_cast<QWidget *>(chkKeyLock),
                       static_cast<QWidget *>(radioAM), static_cast<QWidget *>(KeySound),
                       static_cast<QWidget *>(MessageSound)})
        restoreColour(w);

    connect(BtnSet1, &QPushButton::clicked, this, &Settings1Panel::BtnSet1Click);
    connect(chkMM, &QCheckBox::toggled, this, &Settings1Panel::chkMMClick);
    connect(chkKeyLock, &QCheckBox::toggled, this, &Settings1Panel::chkKeyLockClick);
    connect(radioAM, &RadioGroup::itemIndexChanged, this, &Settings1Panel::radioAMClick);
    connect(KeySound, &RadioGroup::itemIndexChanged, this, &Settings1Panel::KeySoundClick);
    connect(MessageSound, &RadioGroup::itemIndexChanged, this, &Settings1Panel::MessageSoundClick);
}

void Settings1Panel::BtnSet1Click()
{
    readPanel(m_link, BtnSet1, Tab::Settings, [this] {
        getKeyLock();
        // An abort or a failed port ends the read; a silent or refusing
        // phone does not.
        const auto goOn = [this] { return !m_link.AbortRequested() && m_link.connected(); };
        for (void (Settings1Panel::*get)() : {&Settings1Panel::getMM, &Settings1Panel::getKeySound,
                                              &Settings1Panel::getAnswer, &Settings1Panel::getMessageSound}) {
            if (!goOn())
                break;
            (this->*get)();
        }
    });
}

void Settings1Panel::getSwitch(QCheckBox *box, PhoneSettings::Switch which)
{
    const Refreshing refresh;
    markReading(box);
    if (const std::optional<bool> on = m_settings.readSwitch(which))
        box->setChecked(*on);
    restoreColour(box);
}

void Settings1Panel::getChoice(RadioGroup *group, PhoneSettings::Choice which)
{
    const Refreshing refresh;
    markReading(group);
    group->setItemIndex(m_settings.readChoice(which));
    restoreColour(group);
}

void Settings1Panel::getMM() { getSwitch(chkMM, PhoneSettings::Switch::MinuteMinder); }
void Settings1Panel::getKeyLock() { getSwitch(chkKeyLock, PhoneSettings::Switch::KeyLock); }
void Settings1Panel::getAnswer() { getChoice(radioAM, PhoneSettings::Choice::AnswerMode); }
void Settings1Panel::getKeySound() { getChoice(KeySound, PhoneSettings::Choice::KeySound); }
void Settings1Panel::getMessageSound() { getChoice(MessageSound, PhoneSettings::Choice::MessageAlert); }

void Settings1Panel::chkMMClick()
{
    writeChange(m_link, [this] {
        m_settings.writeSwitch(PhoneSettings::Switch::MinuteMinder, chkMM->isChecked());
        getMM();
    });
}

void Settings1Panel::chkKeyLockClick()
{
    if (refreshing())
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this] {
        m_settings.writeSwitch(PhoneSettings::Switch::KeyLock, chkKeyLock->isChecked());
        m_link.closePort();
        getKeyLock();
    });
}

void Settings1Panel::setChoice(RadioGroup *group, PhoneSettings::Choice which)
{
    if (refreshing())
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([&] {
        m_settings.writeChoice(which, group->itemIndex());
        getChoice(group, which);
        m_link.closePort();
    });
}

void Settings1Panel::radioAMClick() { setChoice(radioAM, PhoneSettings::Choice::AnswerMode); }
void Settings1Panel::KeySoundClick() { setChoice(KeySound, PhoneSettings::Choice::KeySound); }
void Settings1Panel::MessageSoundClick() { setChoice(MessageSound, PhoneSettings::Choice::MessageAlert); }
