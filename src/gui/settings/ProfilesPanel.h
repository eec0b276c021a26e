// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's active profile and its ring volume, silent mode, vibration and light.
// Each control writes its setting as it changes; a profile change reads the
// new profile's four settings.
#include "link/settings/PhoneSettings.h"
#include "gui/settings/SettingsPanel.h"

class PhoneLink;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class RadioGroup;

class ProfilesPanel : public SettingsPanel {
    Q_OBJECT
public:
    explicit ProfilesPanel(PhoneLink &link, QWidget *parent = nullptr);

    static constexpr int MaxTypedName = 30;

private:
    QLabel *StaticText11;
    QComboBox *ComboProfiles;
    QLabel *StaticText4;
    QSlider *RingVolume;
    QCheckBox *chkSilent;
    RadioGroup *Vibe;
    RadioGroup *Light;
    QPushButton *btnProfiles;

public:
    // The profile index last read from or written to the phone.
    int ShownProfileIndex = -1;
    // The volume the phone was last known to hold: the value last sent or
    // read. A move of the slider to it sends nothing.
    int LastRingVolume = 0;
    bool RingVolumeSending = false;

    void btnProfilesClick();
    void getProfiles();
    void GetRingVolume();
    void getSilent();
    void getlight();
    void getVibe();

    void ComboProfilesChange();
    void RingVolumeChange();
    // Closes the port before its read-back, which leaves the port open.
    void chkSilentClick();
    void LightClick();
    void VibeClick();

private:
    PhoneLink &m_link;
    PhoneSettings m_settings;
};
