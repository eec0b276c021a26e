// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "Calls" tab of the Phonebooks page: the phone's call lists, read
// whole and never written, with names from the books read in this session;
// and the call line every "Call" item and button of the window dials
// through, with its "Hang up".
#include <QWidget>
#include <functional>

#include "link/calls/CallListService.h"

class PhoneLink;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;

class CallsPanel : public QWidget {
    Q_OBJECT
public:
    explicit CallsPanel(PhoneLink &link, QWidget *parent = nullptr);

    // The name the books give a number; empty when none does.
    void setNameLookup(std::function<QString(const QString &number)> lookup) { m_nameFor = std::move(lookup); }

    void btnCallsReadClick();
    void btnHangUpClick();
    // Dials `number` with ATD...; the call line shows "Calling ..." with
    // "Hang up" while the call is up. The port is closed between the two.
    void dial(const QString &number);

signals:
    // A read or call started (true) or ended (false).
    void busyChanged(bool busy);

private:
    QComboBox *CallList;
    QPushButton *btnCallsRead;
    QPushButton *btnAbortCalls; // beneath btnCallsRead, seen while a read runs
    QTableWidget *CallsGrid;
    QLabel *CallStatus;
    QPushButton *btnHangUp;
    QMenu *CallsMenu;

    PhoneLink &m_link;
    CallListService m_service{m_link};
    std::function<QString(const QString &)> m_nameFor;
    bool m_noLists = false; // the phone said it keeps none
    void fillLists(const QStringList &books);
    // The lists of the phone last asked what it offers, when it said.
    void followCapabilities();
    void showEntries(const QList<CallsAt::Entry> &entries);
    void setBusy(bool busy);
};
