// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/ForwardPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "core/at/Charset.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/common/TypingLimit.h"
#include "gui/settings/SettingsPattern.h"
#include "link/PhoneLink.h"

using SettingsPattern::iconButton;
using SettingsPattern::readButton;

namespace {
using CallForward::Reason;
using Service = ForwardPanel::Service;

// The members of the family: for each panel, the names its controls have
// always had (odd capitals included: settings files and tests know them).
struct RowMembers {
    Reason reason;
    const char *label;
    const char *edit;
    std::array<const char *, 3> buttons; // get, set, cancel
    std::array<const char *, 3> aborts;
};
struct PanelMembers {
    Service service;
    const char *panel;
    const char *title;
    const char *getAll;
    const char *abortAll;
    std::array<RowMembers, ForwardPanel::RowCount> rows;
};

const std::array<PanelMembers, 3> Members{{
    {Service::Voice, "PanelVoice", "Voice Call Forwarding", "btnGetVoice", "btnAbort21",
     {{{Reason::Unreachable, "Unreachable", "editVunreachable",
        {"btnGetVunreachable", "btnSetVunreachable", "btnCancelVunreachable"}, {"btnAbort9", "btnAbort10", "btnAbort11"}},
       {Reason::Busy, "Busy", "editVbusy", {"btnGetVBusy", "btnSetVbusy", "btnCancelVbusy"},
        {"btnAbort12", "btnAbort13", "btnAbort14"}},
       {Reason::NoAnswer, "No Answer", "editVunanswered",
        {"btnGetVUnanswered", "btnSetVunanswered", "btnCancelVunanswered"}, {"btnAbort15", "btnAbort16", "btnAbort17"}},
       {Reason::AllCalls, "All Calls", "editVall", {"btnGetVall", "btnSetVall", "btnCancelVall"},
        {"btnAbort18", "btnAbort19", "btnAbort20"}}}}},
    {Service::Data, "PanelData", "Data Call Forwarding", "btnGetAllData", "btnAbortD1",
     {{{Reason::Unreachable, "Unreachable", "editDunreachable",
        {"btnGetDunreachable", "btnSetDunreachable", "btnCancelDunreachable"}, {"btnAbortD2", "btnAbortD3", "btnAbortD4"}},
       {Reason::Busy, "Busy", "editDbusy", {"btnGetDbusy", "btnSetDbusy", "btnCancelDbusy"},
        {"btnAbortD5", "btnAbortD6", "btnAbortD7"}},
       {Reason::NoAnswer, "No Answer", "editDunanswered",
        {"btnGetDunanswered", "btnSetDunanswered", "btnCancelDunanswered"}, {"btnAbortD8", "btnAbortD9", "btnAbortD10"}},
       {Reason::AllCalls, "All Calls", "editDall", {"btnGetDall", "btnSetDall", "btnCancelDall"},
        {"btnAbortD11", "btnAbortD12", "btnAbortD13"}}}}},
    {Service::Fax, "PanelFax", "Fax Call Forwarding", "btnGetAllFax", "btnAbortF1",
     {{{Reason::Unreachable, "Unreachable", "editFunreachable",
        {"btnGetFunreachable", "btnSetFunreachable", "btnCancelFunreachable"}, {"btnAbortF2", "btnAbortF3", "btnAbortF4"}},
       {Reason::Busy, "Busy", "editfbusy", {"btnGetFbusy", "btnSetFbusy", "btnCancelFbusy"},
        {"btnAbortF5", "btnAbortF6", "btnAbortF7"}},
       {Reason::NoAnswer, "No Answer", "editFunanswered",
        {"btnGetFunanswered", "btnSetFunanswered", "btnCancelFunanswered"}, {"btnAbortF8", "btnAbortF9", "btnAbortF10"}},
       {Reason::AllCalls, "All Calls", "editFall", {"btnGetFall", "btnSetFall", "btnCancelFall"},
        {"btnAbortF11", "btnAbortF12", "btnAbortF13"}}}}},
}};

const PanelMembers &membersOf(Service service)
{
    for (const PanelMembers &m : Members)
        if (m.service == service)
            return m;
    return Members[0];
}

const QString Requesting = QStringLiteral("Requesting...");
const QString Sending = QStringLiteral("Sending...");
const QString Off = QStringLiteral("Off");
const QString NetworkError = QStringLiteral("Network error");

// A button with its Abort button beneath it in one cell: hiding the
// button while its work runs lets the Abort button show through.
void stacked(QGridLayout *grid, int row, int column, QPushButton *button, QPushButton *abort)
{
    grid->addWidget(abort, row, column);
    grid->addWidget(button, row, column);
    button->raise();
}

QString shown(const CallForward::Status &status)
{
    switch (status.kind) {
    case CallForward::Status::Off:
        return Off;
    case CallForward::Status::Forwarded:
        return fromPhoneText(status.number);
    case CallForward::Status::NetworkError:
        break;
    }
    return NetworkError;
}
} // namespace

ForwardPanel::ForwardPanel(PhoneLink &link, Service service, QWidget *parent)
    : SettingsPanel(QString::fromLatin1(membersOf(service).panel), QString::fromLatin1(membersOf(service).title),
                    parent),
      m_link(link),
      m_calls(link),
      m_service(service)
{
    const PanelMembers &members = membersOf(service);
    auto *content = new QWidget(this);
    content->setObjectName(objectName() + QStringLiteral("Content"));
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    const auto abortButton = [content](const char *name) {
        return iconButton(content, name, QStyle::SP_BrowserStop, QStringLiteral("Abort"));
    };
    btnGetAll = readButton(content, members.getAll, QStringLiteral("Request all forwarding statuses"));
    btnAbortAll = abortButton(members.abortAll);
    stacked(grid, 0, 3, btnGetAll, btnAbortAll);

    const std::array<std::pair<QStyle::StandardPixmap, QString>, 3> kinds{{
        {QStyle::SP_FileDialogInfoView, QStringLiteral("Request status")},
        {QStyle::SP_DialogApplyButton, QStringLiteral("Set forwarding ON")},
        {QStyle::SP_DialogCancelButton, QStringLiteral("Set Forwarding OFF")},
    }};
    for (int n = 0; n < RowCount; ++n) {
        const RowMembers &rm = members.rows[size_t(n)];
        Row &row = m_rows[size_t(n)];
        row.reason = rm.reason;
        row.label = new QLabel(QString::fromLatin1(rm.label), content);
        row.label->setObjectName(QString::fromLatin1(rm.edit) + QStringLiteral("Label"));
        row.edit = new QLineEdit(content);
        row.edit->setObjectName(QString::fromLatin1(rm.edit));
        row.edit->setAccessibleName(row.label->text());
        row.edit->setValidator(new TypingLimit(row.edit, TypedNumberLength));
        Palette::paint(row.edit, Palette::Silver);
        row.label->setBuddy(row.edit);
        // The label over its box leaves the narrow panel's width to the number.
        const int line = 2 * n + 1;
        grid->addWidget(row.label, line, 0, 1, 4);
        grid->addWidget(row.edit, line + 1, 0);
        for (int a = 0; a < 3; ++a) {
            row.buttons[size_t(a)] = iconButton(content, rm.buttons[size_t(a)], kinds[size_t(a)].first,
                                                kinds[size_t(a)].second);
            row.aborts[size_t(a)] = abortButton(rm.aborts[size_t(a)]);
            stacked(grid, line + 1, a + 1, row.buttons[size_t(a)], row.aborts[size_t(a)]);
            connect(row.buttons[size_t(a)], &QPushButton::clicked, this, [this, n, a] { rowClick(n, Action(a)); });
            connect(row.aborts[size_t(a)], &QPushButton::clicked, &m_link, &PhoneLink::requestAbort);
        }
    }
    grid->setColumnStretch(0, 1);
    addContent(content);

    connect(btnGetAll, &QPushButton::clicked, this, &ForwardPanel::getAllClick);
    connect(btnAbortAll, &QPushButton::clicked, &m_link, &PhoneLink::requestAbort);
}

void ForwardPanel::ForwardButtonsOff()
{
    btnGetAll->setEnabled(false);
    for (Row &row : m_rows)
        for (QPushButton *b : row.buttons)
            b->setEnabled(false);
    repaint();
}

void ForwardPanel::ForwardButtonsOn()
{
    btnGetAll->setEnabled(true);
    for (Row &row : m_rows)
        for (QPushButton *b : row.buttons)
            b->setEnabled(true);
    repaint();
}

void ForwardPanel::showBusy(Row &row, Action action, const QString &text)
{
    row.buttons[size_t(action)]->hide();
    row.edit->setText(text);
    Palette::paint(row.edit, Palette::Teal);
    ForwardButtonsOff();
}

void ForwardPanel::showResult(Row &row, const QString &text)
{
    row.edit->setText(text);
    row.edit->setCursorPosition(0);
    Palette::paint(row.edit, Palette::Silver);
    ForwardButtonsOn();
}

void ForwardPanel::showStatus(Row &row)
{
    showBusy(row, Action::Get, Requesting);
    CallForward::Status status;
    m_link.runGuarded([&] {
        status = m_calls.queryForwarding(m_service, row.reason);
        m_link.closePort();
    });
    row.buttons[size_t(Action::Get)]->show();
    showResult(row, shown(status));
}

void ForwardPanel::rowClick(int n, Action action)
{
    if (n < 0 || n >= RowCount)
        return;
    // The tabs stay on Settings and no second operation starts meanwhile.
    const OperationGuard op(m_link, Tab::Settings);
    if (!op)
        return;
    Row &row = m_rows[size_t(n)];
    if (action != Action::Get) {
        const QString typed = row.edit->text().trimmed();
        showBusy(row, action, Sending);
        bool reached = false;
        m_link.runGuarded([&] {
            const Exchange::Status status = action == Action::Set
                                                ? m_calls.setForwarding(m_service, row.reason, typed)
                                                : m_calls.cancelForwarding(m_service, row.reason);
            reached = status != Exchange::PortFailed;
        });
        row.buttons[size_t(action)]->show();
        // A port that would not open or failed under the change has been
        // reported; a query now would only report it a second time.
        if (!reached) {
            showResult(row, NetworkError);
            return;
        }
    }
    showStatus(row);
}

void ForwardPanel::getAllClick()
{
    const OperationGuard op(m_link, Tab::Settings);
    if (!op)
        return;
    btnGetAll->hide();
    for (int n = 0; n < RowCount; ++n) {
        // An abort ends the run before the next row.
        if (n > 0 && m_link.AbortRequested())
            break;
        showStatus(m_rows[size_t(n)]);
    }
    m_link.runGuarded([this] { m_link.closePort(); });
    btnGetAll->show();
    m_link.setAbortRequested(false);
}
