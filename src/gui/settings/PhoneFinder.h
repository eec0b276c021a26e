// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Find phone": every COM name tried with "AT", the first that answers
// chosen, and a short report of what each one showed.
#include <QWidget>

class PhoneLink;
class QLabel;
class QPushButton;
class PortChooser;

class PhoneFinder : public QWidget {
    Q_OBJECT
public:
    PhoneFinder(PhoneLink &link, PortChooser *chooser, QWidget *parent = nullptr);

    void btnFindPhoneClick();

private:
    PhoneLink &m_link;
    PortChooser *m_chooser;
    QPushButton *btnFindPhone;
    QLabel *m_report;
};
