// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/info/InfoPage.h"

#include <algorithm>

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>

#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "gui/common/Flash.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/settings/SettingsPattern.h"
#include "link/PhoneLink.h"
#include "link/info/GsmInfo.h"
#include "link/info/PhoneStatus.h"
#include "core/status/StatusAt.h"
#include "link/messaging/CentreService.h"

namespace {
using Palette::Grey;
using Palette::Lime;
using Palette::Red;
using Palette::Silver;
using Palette::Teal;

void setRole(QWidget *w, QPalette::ColorRole role, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

void paintField(QLineEdit *field, const QColor &c, bool repaintNow = false)
{
    Palette::paint(field, c);
    if (repaintNow)
        field->repaint();
}

// The groove of a bar gauge is drawn with Base (Fusion), some styles use Window.
void paintGaugeBackground(QProgressBar *gauge, const QColor &c)
{
    QPalette p = gauge->palette();
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Window, c);
    gauge->setPalette(p);
}

void paintGaugeBar(QProgressBar *gauge, const QColor &c)
{
    setRole(gauge, QPalette::Highlight, c);
}

QLabel *addLabel(QWidget *page, const char *name, const QString &text, int x, int y, int w = 60)
{
    auto *l = new QLabel(text, page);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, w, 14);
    return l;
}

// A field the phone's answer is shown in, read-only unless made otherwise.
QLineEdit *addField(QWidget *page, const char *name, const QString &accessibleName, const QRect &geometry)
{
    auto *e = new QLineEdit(page);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(accessibleName);
    e->setGeometry(geometry);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    paintField(e, Silver);
    return e;
}

QProgressBar *addGauge(QWidget *page, QStyle *style, const char *name, int x, int max, const QString &hint)
{
    auto *g = new QProgressBar(page);
    g->setObjectName(QString::fromLatin1(name));
    if (style)
        g->setStyle(style);
    g->setOrientation(Qt::Vertical);
    g->setRange(0, max);
    g->setValue(0);
    g->setTextVisible(false);
    g->setToolTip(hint);
    g->setGeometry(x, 36, 14, 180);
    paintGaugeBackground(g, Grey);
    paintGaugeBar(g, Lime);
    return g;
}

QString shown(const QByteArray &value)
{
    // One line only, behind the blank the fields always start with.
    return QStringLiteral(" ") + fromPhoneText(Reply::trimmed(Reply::firstLine(value)));
}
} // namespace

InfoPage::InfoPage(PhoneLink &link, CentreService &centre, QWidget *parent)
    : QWidget(parent), m_link(link), m_centre(centre)
{
    setObjectName(QStringLiteral("PanelInfo"));
    setFixedSize(210, 260);
    buildHeading();
    buildFields();
    buildGauges();
    connectControls();
}

void InfoPage::buildHeading()
{
    StaticText45 = new QLabel(QStringLiteral("GSM Information"), this);
    StaticText45->setObjectName(QStringLiteral("StaticText45"));
    QFont bold = StaticText45->font();
    bold.setBold(true);
    StaticText45->setFont(bold);
    StaticText45->setGeometry(8, 8, 150, 18);

    btnInfo = SettingsPattern::readButton(this, "btnInfo", QStringLiteral("Read data from phone"));
    btnInfo->move(178, 4);
}

// Top to bottom, in the tab order.
void InfoPage::buildFields()
{
    addLabel(this, "Label1", QStringLiteral("Network:"), 8, 32);
    txtNetwork = addField(this, "txtNetwork", QStringLiteral("Network"), {8, 46, 150, 20});
    txtNetwork->setFrame(true);
    txtNetwork->setToolTip(QStringLiteral("Current network logged onto."));

    addLabel(this, "Label2", QStringLiteral("Model:"), 8, 75, 52);
    txtModel = addField(this, "txtModel", QStringLiteral("Model"), {60, 72, 98, 20});
    addLabel(this, "Label3", QStringLiteral("Software:"), 8, 99, 52);
    txtSoftware = addField(this, "txtSoftware", QStringLiteral("Software"), {60, 96, 98, 20});

    buildCentreRow();

    addLabel(this, "Label5", QStringLiteral("IMEI:"), 8, 160);
    txtIMEI = addField(this, "txtIMEI", QStringLiteral("IMEI"), {8, 174, 150, 20});
    txtIMEI->setToolTip(QStringLiteral("Phone IMEI / serial number"));

    addLabel(this, "Label6", QStringLiteral("Make"), 8, 200);
    txtMake = addField(this, "txtMake", QStringLiteral("Make"), {8, 214, 150, 20});
}

// The one field a user edits, with "Set" over "Cancel" beside it.
void InfoPage::buildCentreRow()
{
    addLabel(this, "Label4", QStringLiteral("SMSC:"), 8, 120);
    txtGSMSMSC = addField(this, "txtGSMSMSC", QStringLiteral("SMSC"), {8, 134, 112, 20});
    txtGSMSMSC->setReadOnly(false);
    txtGSMSMSC->setFocusPolicy(Qt::StrongFocus);

    // The Cancel button lies exactly beneath "Set"; raising one covers the other.
    btnAbort30 = new QPushButton(QStringLiteral("Cancel"), this);
    btnAbort30->setObjectName(QStringLiteral("btnAbort30"));
    btnSetSMSC = new QPushButton(QStringLiteral("Set"), this);
    btnSetSMSC->setObjectName(QStringLiteral("btnSetSMSC"));
    placeCentreRow();
    btnAbort30->setAutoDefault(false);
    // Enter in the centre field presses "Set".
    SettingsPattern::defaultWhileFocused(txtGSMSMSC, btnSetSMSC);
}

void InfoPage::buildGauges()
{
    // The palette colours of the gauges must reach the screen whatever the
    // desktop's style is.
    QStyle *gaugeStyle = QStyleFactory::create(QStringLiteral("Fusion"));
    if (gaugeStyle)
        gaugeStyle->setParent(this);
    Batt = addGauge(this, gaugeStyle, "Batt", 168, 100, QStringLiteral("Battery level"));
    Signal = addGauge(this, gaugeStyle, "Signal", 190, 5, QStringLiteral("Signal level"));
    StaticText6 = addLabel(this, "StaticText6", QStringLiteral("Batt"), 163, 220, 26);
    StaticText6->setEnabled(false);
    StaticText7 = addLabel(this, "StaticText7", QStringLiteral("Sig"), 189, 220, 20);
    StaticText7->setEnabled(false);
    PhoneState = addLabel(this, "PhoneState", QString(), 8, 240, 200);
    PhoneState->setMinimumHeight(16);
    PhoneState->resize(200, qMax(16, PhoneState->fontMetrics().height()));
}

void InfoPage::connectControls()
{
    connect(btnInfo, &QPushButton::clicked, this, &InfoPage::btnInfoClick);
    connect(btnSetSMSC, &QPushButton::clicked, this, &InfoPage::btnSetSMSCClick);
    connect(btnAbort30, &QPushButton::clicked, &m_link, &PhoneLink::requestAbort);

    // The centre is read by the SMS sends as well as by this page.
    connect(&m_centre, &CentreService::reading, this, [this](bool clear) {
        if (clear)
            txtGSMSMSC->clear();
        paintField(txtGSMSMSC, Teal, true);
    });
    connect(&m_centre, &CentreService::centreShown, txtGSMSMSC, &QLineEdit::setText);
    connect(&m_centre, &CentreService::readDone, this, [this] { paintField(txtGSMSMSC, Silver); });
    connect(txtGSMSMSC, &QLineEdit::textEdited, &m_centre, &CentreService::setShownCentre);
}

QColor InfoPage::fieldColour(const QLineEdit *field)
{
    return field->palette().color(QPalette::Base);
}

QColor InfoPage::gaugeBackground(const QProgressBar *gauge)
{
    return gauge->palette().color(QPalette::Base);
}

QColor InfoPage::gaugeBar(const QProgressBar *gauge)
{
    return gauge->palette().color(QPalette::Highlight);
}

void InfoPage::btnInfoClick()
{
    const OperationGuard op(m_link, Tab::Settings);
    if (!op)
        return;
    btnInfo->setEnabled(false);
    btnSetSMSC->setEnabled(false);

    m_link.runGuarded([this] {
        GetNetwork();
        if (m_link.connected()) {
            getModel();
            GetSoftware();
            m_centre.GetSMSC();
            if (!m_centre.SmscRead())
                m_centre.GetSMSCbinary();
            GetIMEI();
            getMake();
            GetBatt();
            getSignal();
            GetPhoneState();
            paintField(txtGSMSMSC, Silver);
            m_link.stopReplyTimer();
        }
        m_link.closePort();
    });

    backToRest();
    btnInfo->setEnabled(true);
    btnSetSMSC->setEnabled(true);
}

// A port failure can end an operation halfway through an item; nothing may
// stay painted as busy afterwards.
void InfoPage::backToRest()
{
    for (QLineEdit *f : {txtNetwork, txtModel, txtSoftware, txtGSMSMSC, txtIMEI, txtMake})
        paintField(f, Silver);
    paintGaugeBackground(Batt, Grey);
    paintGaugeBackground(Signal, Grey);
    btnSetSMSC->raise();
}

void InfoPage::readTextItem(QLineEdit *field, std::optional<QByteArray> (GsmInfo::*item)())
{
    field->clear();
    paintField(field, Teal, true);
    GsmInfo info(m_link);
    if (const std::optional<QByteArray> value = (info.*item)())
        field->setText(shown(*value));
    paintField(field, Silver);
}

void InfoPage::GetNetwork()
{
    readTextItem(txtNetwork, &GsmInfo::network);
}

void InfoPage::getModel()
{
    readTextItem(txtModel, &GsmInfo::model);
}

void InfoPage::GetSoftware()
{
    readTextItem(txtSoftware, &GsmInfo::software);
}

void InfoPage::GetIMEI()
{
    readTextItem(txtIMEI, &GsmInfo::imei);
}

void InfoPage::getMake()
{
    readTextItem(txtMake, &GsmInfo::make);
}

void InfoPage::GetBatt()
{
    paintGaugeBackground(Batt, Teal);
    Batt->repaint();
    // A level that is no number leaves the bar, its colour and hint as they were.
    if (const std::optional<Reply::Battery> b = GsmInfo(m_link).battery()) {
        Batt->setValue(b->bar);
        if (b->valid)
            Batt->setToolTip(QStringLiteral("Battery %1%").arg(b->value));
        paintGaugeBar(Batt, b->value < 14 ? Red : Lime);
        StaticText6->setEnabled(true);
    }
    m_chargeFromIndicators = !m_link.ReplyText().contains("+CBC:") || !m_link.ReplyText().contains(',');
    paintGaugeBackground(Batt, Grey);
}

void InfoPage::getSignal()
{
    paintGaugeBackground(Signal, Teal);
    StaticText7->setEnabled(false);
    Signal->repaint();
    if (const std::optional<Reply::SignalLevel> s = GsmInfo(m_link).signal()) {
        Signal->setValue(s->bar);
        Signal->setToolTip(QStringLiteral("Signal ") + fromPhoneText(QByteArray(1, s->shown)) + QStringLiteral("/5"));
        paintGaugeBar(Signal, s->bar <= 1 ? Red : Lime);
        StaticText7->setEnabled(true);
    }
    // Phones without AT+CBC show the charge among their indicators.
    if (m_chargeFromIndicators) {
        if (const std::optional<int> charge = StatusAt::parseCindBattery(m_link.ReplyText())) {
            Batt->setValue(*charge);
            Batt->setToolTip(QStringLiteral("Battery %1%").arg(*charge));
            paintGaugeBar(Batt, *charge < 14 ? Red : Lime);
            StaticText6->setEnabled(true);
        }
    }
    paintGaugeBackground(Signal, Grey);
}

void InfoPage::GetPhoneState()
{
    PhoneStatus status(m_link);
    QStringList details;
    QStringList shortest, full;
    for (StatusItem (PhoneStatus::*read)() : {&PhoneStatus::signal, &PhoneStatus::registration, &PhoneStatus::pin}) {
        if (!m_link.connected())
            break;
        const StatusItem item = (status.*read)();
        const QString key = item.key == QLatin1String("pin") ? QStringLiteral("SIM PIN")
                                                             : item.key.left(1).toUpper() + item.key.mid(1);
        details << QStringLiteral("%1: %2").arg(key, item.ok() ? item.value : item.reason);
        // "-71 dBm (4 of 5 bars)" on the line is "-71 dBm"; the bars are the gauge's.
        const QString value = item.ok() ? item.value.section(QStringLiteral(" ("), 0, 0) : QStringLiteral("?");
        full << value;
        if (item.key != QLatin1String("signal"))
            shortest << value;
    }
    // As much as the line holds: without the signal when it is too long.
    QString line = full.join(QStringLiteral(", "));
    if (PhoneState->fontMetrics().horizontalAdvance(line) > PhoneState->width())
        line = shortest.join(QStringLiteral(", "));
    PhoneState->setText(line);
    PhoneState->setToolTip(details.join(u'\n'));
}

void InfoPage::btnSetSMSCClick()
{
    // The tab bar stays free, but no second operation (nor Enter in the
    // field) may start an exchange inside this one.
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    btnInfo->setEnabled(false);
    paintField(txtGSMSMSC, Teal);
    btnAbort30->raise();
    txtGSMSMSC->repaint();

    m_link.runGuarded([this] {
        using Result = CentreService::SetResult;
        const Result result = m_centre.setCentre(txtGSMSMSC->text());
        const Timing &t = m_link.timing();
        switch (result) {
        case Result::SetAT:
            flashThenRest(m_link, txtGSMSMSC, Lime, t.flash, Silver);
            break;
        case Result::Cancelled:
        case Result::FailedBinary:
        case Result::BadNumber:
            flashThenRest(m_link, txtGSMSMSC, Red, t.flashShort, Silver);
            break;
        case Result::SetBinary:
            flashThenRest(m_link, txtGSMSMSC, Lime, t.flashShort, Silver);
            break;
        }
        m_centre.finishSet(result);
    });

    paintField(txtGSMSMSC, Silver);
    btnSetSMSC->raise();
    btnInfo->setEnabled(true);
}

// "Cancel" must fit whatever the desktop's font: the buttons take what it
// needs, the centre box the rest of the row.
void InfoPage::placeCentreRow()
{
    constexpr int Left = 8, Right = 158, Gap = 2;
    const int buttonWidth = std::max(36, fontMetrics().horizontalAdvance(btnAbort30->text()) + 12);
    btnAbort30->setGeometry(Right - buttonWidth, 133, buttonWidth, 22);
    btnSetSMSC->setGeometry(btnAbort30->geometry());
    txtGSMSMSC->setGeometry(Left, 134, Right - buttonWidth - Gap - Left, 20);
}

void InfoPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && btnAbort30 && btnSetSMSC)
        placeCentreRow();
}
