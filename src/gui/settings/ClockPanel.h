// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's date and time, its alarm, and how it displays time and date.
#include "link/settings/PhoneSettings.h"
#include "gui/settings/SettingsPanel.h"

class PhoneLink;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

class ClockPanel : public SettingsPanel {
    Q_OBJECT
public:
    explicit ClockPanel(PhoneLink &link, QWidget *parent = nullptr);

private:
    QLabel *StaticText2;
    // "YY\MM\DD,HH:MM:SS": digits only in the twelve digit places.
    QLineEdit *txtClock;
    QPushButton *btnSet;
    QPushButton *btnPCtime;
    QLabel *StaticText3;
    QTimeEdit *TimePick;
    QPushButton *btnAlmOK;
    QLabel *StaticText34;
    QComboBox *ComboTimeFormat;
    QLabel *StaticText35;
    QComboBox *ComboDateFormat;
    QPushButton *btngetClock;

public:
    // Reads the clock and both formats; the tab bar stays free.
    void btngetClockClick();
    void GetClock();
    // A refused, timed-out or aborted query leaves the box's text; only a
    // reply that cannot be read empties it.
    void GetTimeFormat();
    void GetDateFormat();

    // Sets the phone's clock from the box; the tab bar is locked meanwhile.
    void btnSetClick();
    // The PC's date and time into the box, then btnSetClick.
    void btnPCtimeClick();
    void btnAlmOKClick();
    void ComboTimeFormatChange();
    void ComboDateFormatChange();

private:
    PhoneLink &m_link;
    PhoneSettings m_settings;
};
