// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Settings page 1: minute minder, answer mode, key and message sounds, key lock.
// Every control writes its setting as soon as the user changes it and then
// reads it back, so it shows what the phone now holds.
#include "link/settings/PhoneSettings.h"
#include "gui/settings/SettingsPanel.h"

class PhoneLink;
class QCheckBox;
class QPushButton;
class RadioGroup;

class Settings1Panel : public SettingsPanel {
    Q_OBJECT
public:
    explicit Settings1Panel(PhoneLink &link, QWidget *parent = nullptr);

private:
    QCheckBox *chkMM;
    RadioGroup *radioAM;
    RadioGroup *KeySound;
    RadioGroup *MessageSound;
    QCheckBox *chkKeyLock;
    QPushButton *BtnSet1;

public:
    // Reads the whole page; an abort or a port failure stops it.
    void BtnSet1Click();
    void getMM();
    void getAnswer();
    void getKeySound();
    void getMessageSound();
    void getKeyLock();

    void chkMMClick();
    void radioAMClick();
    void KeySoundClick();
    void MessageSoundClick();
    // Closes the port before its read-back, which leaves the port open.
    void chkKeyLockClick();

private:
    void getSwitch(QCheckBox *box, PhoneSettings::Switch which);
    void getChoice(RadioGroup *group, PhoneSettings::Choice which);
    void setChoice(RadioGroup *group, PhoneSettings::Choice which);

    PhoneLink &m_link;
    PhoneSettings m_settings;
};
