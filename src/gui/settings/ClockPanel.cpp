// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/ClockPanel.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "core/settings/SettingsAt.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/settings/SettingsPattern.h"
#include "link/PhoneLink.h"

using namespace SettingsPattern;

namespace {
QComboBox *formatBox(QWidget *parent, const char *name, const QStringList &items, const QString &hint)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setCurrentIndex(0);
    box->setToolTip(hint);
    Palette::paint(box, Palette::Silver);
    return box;
}
} // namespace

ClockPanel::ClockPanel(PhoneLink &link, QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelClock"), QStringLiteral("Clock"), parent),
      m_link(link),
      m_settings(link)
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("PanelClockContent"));
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);

    StaticText2 = statusLabel(content, "StaticText2", QStringLiteral("Time"), 60);
    txtClock = new QLineEdit(content);
    txtClock->setObjectName(QStringLiteral("txtClock"));
    // In the mask "\\" is a literal backslash; the blank fills the digit places.
    txtClock->setInputMask(QStringLiteral("99\\\\99\\\\99,99:99:99; "));
    txtClock->setToolTip(QStringLiteral("YY\\MM\\DD,HH:MM:SS"));
    txtClock->setAccessibleName(StaticText2->text());
    txtClock->setEnabled(false);
    Palette::paint(txtClock, Palette::Silver);
    btnSet = panelButton(content, "btnSet", QStringLiteral("SET"), QStringLiteral("Set Time and Date in phone"));
    btnPCtime = panelButton(content, "btnPCtime", QStringLiteral("Sync to PC"), QString());

    StaticText3 = statusLabel(content, "StaticText3", QStringLiteral("Alarm"), 60);
    TimePick = new QTimeEdit(content);
    TimePick->setObjectName(QStringLiteral("TimePick"));
    TimePick->setToolTip(QStringLiteral("Set alarn time"));
    TimePick->setAccessibleName(StaticText3->text());
    Palette::paint(TimePick, Palette::Silver);
    btnAlmOK = panelButton(content, "btnAlmOK", QStringLiteral("SET"), QStringLiteral("Set and activate alarm"));

    StaticText34 = label(content, "StaticText34", QStringLiteral("Time Format"));
    ComboTimeFormat = formatBox(content, "ComboTimeFormat", SettingsAt::timeFormatItems(),
                                QStringLiteral("Change time format display"));
    ComboTimeFormat->setAccessibleName(StaticText34->text());
    StaticText35 = label(content, "StaticText35", QStringLiteral("Date Format"));
    ComboDateFormat = formatBox(content, "ComboDateFormat", SettingsAt::dateFormatItems(),
                                QStringLiteral("Change date format display"));
    ComboDateFormat->setAccessibleName(StaticText35->text());
    btngetClock = readButton(content, "btngetClock", QStringLiteral("Read clock settings from phone"));

    // The clock and alarm under their captions; the formats beside theirs.
    grid->addWidget(StaticText2, 0, 0, Qt::AlignLeft);
    grid->addWidget(btngetClock, 0, 1, 1, 2, Qt::AlignRight);
    grid->addWidget(txtClock, 1, 0, 1, 2);
    grid->addWidget(btnSet, 1, 2);
    grid->addWidget(btnPCtime, 2, 0, Qt::AlignLeft);
    grid->addWidget(StaticText3, 3, 0, Qt::AlignLeft);
    grid->addWidget(TimePick, 4, 0, 1, 2);
    grid->addWidget(btnAlmOK, 4, 2);
    grid->addWidget(StaticText34, 5, 0);
    grid->addWidget(ComboTimeFormat, 5, 1, 1, 2);
    grid->addWidget(StaticText35, 6, 0);
    grid->addWidget(ComboDateFormat, 6, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    addContent(content);

    defaultWhileFocused(txtClock, btnSet);

    connect(btngetClock, &QPushButton::clicked, this, &ClockPanel::btngetClockClick);
    connect(btnSet, &QPushButton::clicked, this, &ClockPanel::btnSetClick);
    connect(btnPCtime, &QPushButton::clicked, this, &ClockPanel::btnPCtimeClick);
    connect(btnAlmOK, &QPushButton::clicked, this, &ClockPanel::btnAlmOKClick);
    connect(ComboTimeFormat, &QComboBox::currentIndexChanged, this, &ClockPanel::ComboTimeFormatChange);
    connect(ComboDateFormat, &QComboBox::currentIndexChanged, this, &ClockPanel::ComboDateFormatChange);
}

void ClockPanel::btngetClockClick()
{
    readPanel(m_link, btngetClock, std::nullopt, [this] {
        GetClock();
        if (m_link.connected()) {
            GetTimeFormat();
            GetDateFormat();
        }
    });
}

void ClockPanel::GetClock()
{
    markReading(txtClock);
    if (const std::optional<QString> clock = m_settings.readClock()) {
        txtClock->setText(*clock);
        txtClock->setEnabled(true);
    }
    restoreColour(txtClock);
}

void ClockPanel::btnSetClick()
{
    const OperationGuard op(m_link, Tab::Settings);
    if (!op || !m_link.openSilently())
        return;
    m_link.runGuarded([this] {
        const bool done = m_settings.writeClock(txtClock->text());
        m_link.closePort();
        flashStatus(m_link, StaticText2, done, m_link.timing().flashLong);
    });
}

void ClockPanel::btnPCtimeClick()
{
    txtClock->setText(SettingsAt::clockBoxText(QDateTime::currentDateTime()));
    btnSetClick();
}

void ClockPanel::btnAlmOKClick()
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this] {
        const bool done = m_settings.writeAlarm(TimePick->time());
        m_link.closePort();
        flashStatus(m_link, StaticText3, done, m_link.timing().flashLong);
    });
}

void ClockPanel::GetTimeFormat()
{
    const Refreshing refresh;
    markReading(ComboTimeFormat);
    if (const std::optional<int> item = m_settings.readTimeFormat())
        ComboTimeFormat->setCurrentIndex(*item);
    restoreColour(ComboTimeFormat);
}

void ClockPanel::GetDateFormat()
{
    const Refreshing refresh;
    markReading(ComboDateFormat);
    if (const std::optional<int> item = m_settings.readDateFormat())
        ComboDateFormat->setCurrentIndex(*item);
    restoreColour(ComboDateFormat);
}

void ClockPanel::ComboTimeFormatChange()
{
    writeChange(m_link, [this] {
        m_settings.writeTimeFormat(ComboTimeFormat->currentIndex());
        GetTimeFormat();
    });
}

void ClockPanel::ComboDateFormatChange()
{
    if (refreshing())
        return;
    const int item = ComboDateFormat->currentIndex();
    if (item < 0)
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this, item] {
        m_settings.writeDateFormat(item);
        GetDateFormat();
        m_link.closePort();
    });
}
