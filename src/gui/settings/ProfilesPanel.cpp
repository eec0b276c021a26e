// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/ProfilesPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "link/PhoneLink.h"
#include "core/settings/SettingsAt.h"
#include "gui/settings/SettingsPattern.h"
#include "gui/common/Palette.h"

using namespace SettingsPattern;

ProfilesPanel::ProfilesPanel(PhoneLink &link, QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelProfiles"), QStringLiteral("Profiles"), parent),
      m_link(link),
      m_settings(link)
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("PanelProfilesContent"));
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);

    StaticText11 = new QLabel(QStringLiteral("Profiles"), content);
    StaticText11->setObjectName(QStringLiteral("StaticText11"));
    StaticText11->setAlignment(Qt::AlignCenter);
    StaticText11->setFrameShape(QFrame::StyledPanel);
    Palette::paint(StaticText11, Palette::ButtonFace);

    ComboProfiles = new QComboBox(content);
    ComboProfiles->setObjectName(QStringLiteral("ComboProfiles"));
    ComboProfiles->setEditable(true);
    ComboProfiles->setInsertPolicy(QComboBox::NoInsert);
    ComboProfiles->lineEdit()->setMaxLength(MaxTypedName);
    ComboProfiles->setToolTip(QStringLiteral("Select profile to use"));
    ComboProfiles->setAccessibleName(StaticText11->text());
    ComboProfiles->setEnabled(false);
    Palette::paint(ComboProfiles, Palette::Silver);

    StaticText4 = new QLabel(QStringLiteral("Ring Volume"), content);
    StaticText4->setObjectName(QStringLiteral("StaticText4"));
    RingVolume = new QSlider(Qt::Horizontal, content);
    RingVolume->setObjectName(QStringLiteral("RingVolume"));
    RingVolume->setRange(0, SettingsAt::DefaultVolumeMaximum);
    RingVolume->setTickInterval(1);
    RingVolume->setSingleStep(1);
    RingVolume->setPageStep(1);
    RingVolume->setTickPosition(QSlider::TicksBelow);
    RingVolume->setToolTip(QStringLiteral("Set ring volume"));
    RingVolume->setAccessibleName(StaticText4->text());

    chkSilent = new QCheckBox(QStringLiteral("Silent"), content);
    chkSilent->setObjectName(QStringLiteral("chkSilent"));
    Vibe = new RadioGroup(QStringLiteral("Vibe"), QStringLiteral("Vibrate"),
                          {QStringLiteral("Off"), QStringLiteral("On"), QStringLiteral("If Silent")}, content);
    Light = new RadioGroup(QStringLiteral("Light"), QStringLiteral(" Light "),
                           {QStringLiteral("Off"), QStringLiteral("On"), QStringLiteral("Auto")}, content);
    btnProfiles = readButton(content, "btnProfiles", QStringLiteral("Read profile settings from phone"));
    for (QWidget *w : {static_cast<QWidget *>(chkSilent), static_cast<QWidget *>(Vibe), static_cast<QWidget *>(Light)})
        restoreColour(w);

    grid->addWidget(StaticText11, 0, 0);
    grid->addWidget(ComboProfiles, 0, 1);
    grid->addWidget(btnProfiles, 0, 2, Qt::AlignRight);
    // The slider on a row of its own, under its caption: beside it, the
    // radio groups below would be squeezed.
    grid->addWidget(StaticText4, 1, 0);
    grid->addWidget(chkSilent, 1, 1, 1, 2, Qt::AlignRight);
    grid->addWidget(RingVolume, 2, 0, 1, 3);
    grid->addWidget(Vibe, 3, 0);
    grid->addWidget(Light, 3, 1, 1, 2, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    addContent(content);

    connect(btnProfiles, &QPushButton::clicked, this, &ProfilesPanel::btnProfilesClick);
    connect(ComboProfiles, &QComboBox::currentIndexChanged, this, &ProfilesPanel::ComboProfilesChange);
    connect(RingVolume, &QSlider::valueChanged, this, &ProfilesPanel::RingVolumeChange);
    connect(chkSilent, &QCheckBox::toggled, this, &ProfilesPanel::chkSilentClick);
    connect(Light, &RadioGroup::itemIndexChanged, this, &ProfilesPanel::LightClick);
    connect(Vibe, &RadioGroup::itemIndexChanged, this, &ProfilesPanel::VibeClick);
}

void ProfilesPanel::btnProfilesClick()
{
    readPanel(m_link, btnProfiles, std::nullopt, [this] {
        const Refreshing refresh;
        getProfiles();
        if (m_link.connected()) {
            getSilent();
            GetRingVolume();
            getVibe();
            getlight();
        }
    });
}

void ProfilesPanel::getProfiles()
{
    const Refreshing refresh;
    markReading(ComboProfiles);
    ComboProfiles->clear();
    ComboProfiles->setEditText(QString());

    const PhoneSettings::Profiles profiles = m_settings.readProfiles();
    if (!profiles.read) {
        ComboProfiles->setEditText(QStringLiteral(" N/A"));
        ComboProfiles->setEnabled(false);
    } else {
        ComboProfiles->setEnabled(true);
        ComboProfiles->addItems(profiles.names);
        ComboProfiles->setCurrentIndex(profiles.active);
        if (profiles.active < 0)
            ComboProfiles->setEditText(QString());
    }
    restoreColour(ComboProfiles);
    ShownProfileIndex = ComboProfiles->currentIndex();
}

void ProfilesPanel::ComboProfilesChange()
{
    const int index = ComboProfiles->currentIndex();
    if (refreshing() || index == -1 || index == ShownProfileIndex)
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op) {
        // Nothing was sent: the box goes back to the profile the phone has.
        const Refreshing refresh;
        ComboProfiles->setCurrentIndex(ShownProfileIndex);
        return;
    }
    btnProfiles->setEnabled(false);
    ComboProfiles->setEnabled(false);
    m_link.runGuarded([this, index] {
        const bool done = m_settings.selectProfile(index);
        m_link.closePort();
        flashStatus(m_link, StaticText11, done, m_link.timing().flashLong);
        const Refreshing refresh;
        getSilent();
        GetRingVolume();
        getVibe();
        getlight();
    });
    ShownProfileIndex = index;
    btnProfiles->setEnabled(true);
    ComboProfiles->setEnabled(true);
}

void ProfilesPanel::GetRingVolume()
{
    const Refreshing refresh;
    RingVolume->setEnabled(false);
    const PhoneSettings::Volume volume = m_settings.readVolume();
    RingVolume->setMaximum(volume.maximum);
    // The phone holds this value now, so every move away from it is sent;
    // 0 too, which would otherwise pass for the value last sent.
    if (volume.position) {
        RingVolume->setValue(*volume.position);
        LastRingVolume = RingVolume->value();
    }
    RingVolume->setEnabled(true);
}

void ProfilesPanel::RingVolumeChange()
{
    const int position = RingVolume->value();
    if (refreshing() || position == LastRingVolume || RingVolumeSending)
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    RingVolumeSending = true;
    RingVolume->setEnabled(false);
    m_link.runGuarded([this, position] {
        m_settings.writeVolume(position);
        m_link.closePort();
    });
    RingVolume->setEnabled(true);
    RingVolume->repaint();
    RingVolumeSending = false;
    LastRingVolume = RingVolume->value();
}

void ProfilesPanel::getSilent()
{
    const Refreshing refresh;
    markReading(chkSilent);
    if (const std::optional<bool> on = m_settings.readSwitch(PhoneSettings::Switch::Silent))
        chkSilent->setChecked(*on);
    restoreColour(chkSilent);
}

void ProfilesPanel::chkSilentClick()
{
    if (refreshing())
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this] {
        m_settings.writeSwitch(PhoneSettings::Switch::Silent, chkSilent->isChecked());
        m_link.closePort();
        getSilent();
    });
}

void ProfilesPanel::getlight()
{
    const Refreshing refresh;
    markReading(Light);
    if (const std::optional<int> item = m_settings.readLight())
        Light->setItemIndex(*item);
    restoreColour(Light);
}

void ProfilesPanel::LightClick()
{
    writeChange(m_link, [this] {
        m_settings.writeLight(Light->itemIndex());
        getlight();
    });
}

void ProfilesPanel::getVibe()
{
    const Refreshing refresh;
    markReading(Vibe);
    Vibe->setItemIndex(m_settings.readVibration());
    restoreColour(Vibe);
}

void ProfilesPanel::VibeClick()
{
    writeChange(m_link, [this] {
        m_settings.writeVibration(Vibe->itemIndex());
        getVibe();
    });
}
