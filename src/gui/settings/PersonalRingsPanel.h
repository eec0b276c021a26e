// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's list of numbers that ring with a sound of their own: read
// the list, write one entry, let the phone play a ring.
#include "gui/settings/SettingsPanel.h"

class PhoneLink;
class PersonalRings;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class PersonalRingsPanel : public SettingsPanel {
    Q_OBJECT
public:
    PersonalRingsPanel(PhoneLink &link, PersonalRings &rings, QWidget *parent = nullptr);

    // Typing stops at this many characters; a number put in by the
    // phonebook menus may be longer.
    static constexpr int TypedNumberLength = 14;
    static constexpr int PutNumberLength = 16;

private:
    QPushButton *btnGetPR;
    QLabel *LabelRingList;
    QListWidget *RingBox;
    QLabel *LabelPhoneNumber;
    QLineEdit *EditPR;
    QLabel *LabelRingType;
    QComboBox *ComboRings;
    QPushButton *btnPlay2;
    QPushButton *btnAdd;

public:
    // Reads the list and the ring codes; in ring-list mode only the ring
    // codes ("AT*ERIN=?"), leaving the list and the open port alone.
    void btnGetPRClick(bool ringListMode = false);
    // Reads entry n+1 into line n.
    void ProcessPR(int n);
    void btnAddClick();
    void btnPlay2Click();
    void ComboRingsChange();
    void EditPRChange();
    void RingBoxClick();

public slots:
    // A number from a phonebook entry, trimmed and cut to 16 characters.
    void setPhoneNumber(const QString &number);

private:
    void showRingCodes(const QStringList &codes, bool listed);

    PhoneLink &m_link;
    PersonalRings &m_rings;
};
