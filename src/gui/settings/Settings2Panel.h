// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Settings page 2: the voicemail number, the language and the wake-up
// greeting. Each write ends with its status label flashing "OK" or "Error".
#include "link/settings/PhoneSettings.h"
#include "gui/settings/SettingsPanel.h"

class PhoneLink;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Settings2Panel : public SettingsPanel {
    Q_OBJECT
public:
    explicit Settings2Panel(PhoneLink &link, QWidget *parent = nullptr);

private:
    QLabel *StaticText1;
    QLineEdit *editVM;
    QPushButton *btnVM;
    QLabel *StaticText12;
    QComboBox *ComboLang;
    QLabel *StaticText13;
    QLineEdit *EditGreeting;
    QPushButton *btnGreeting;
    QPushButton *btnOff;
    QPushButton *btnText;
    QPushButton *btnAnim;
    QPushButton *btnSet2;

public:
    // Reads the whole page; the tab bar stays free.
    void btnSet2Click();
    void getVoiceMail();
    void GetLang();
    void getGreeting();

    void btnVMClick();
    void ComboLangChange();
    void btnGreetingClick();
    void btnOffClick();
    void btnTextClick();
    void btnAnimClick();

private:
    void greetingMode(int mode);

    PhoneLink &m_link;
    PhoneSettings m_settings;
};
