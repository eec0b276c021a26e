// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/messaging/SmsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTextCursor>

#include "core/messaging/PduBuilder.h"
#include "gui/common/Flash.h"
#include "gui/common/HoverButton.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "link/PhoneLink.h"

namespace {
// The counter turns red this close to the end of the last part.
constexpr int WarnBefore = 10;

const QColor Black(0, 0, 0);
const QColor LightRed(210, 98, 98);
const QColor Navy(0, 0, 128);

void setEnabledAll(std::initializer_list<QWidget *> widgets, bool on)
{
    for (QWidget *w : widgets)
        w->setEnabled(on);
}
} // namespace

SmsPage::SmsPage(PhoneLink &link, SmsSender &sender, QWidget *parent)
    : QWidget(parent), m_link(link), m_sender(sender)
{
    setObjectName(QStringLiteral("Panel1"));
    buildLayout();
    TextBoxChange();

    connect(&m_sender, &SmsSender::status, this, &SmsPage::setStatus);
    connect(&m_sender, &SmsSender::refused, this, &SmsPage::markRefused);
}

namespace {
QComboBox *recipientBox(QWidget *page, const QString &name, int maxLength, int y, const QString &placeholder)
{
    auto *box = new QComboBox(page);
    box->setObjectName(name);
    box->setEditable(true);
    // The list mirrors the book; Enter must not grow it.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->lineEdit()->setMaxLength(maxLength);
    box->lineEdit()->setPlaceholderText(placeholder);
    box->setAccessibleName(placeholder);
    box->setGeometry(4, y, 236, 22);
    Palette::paint(box, Palette::Silver);
    return box;
}

QPushButton *abortButton(QWidget *page, PhoneLink &link, const QString &name, int y)
{
    auto *b = new QPushButton(QStringLiteral("Abort"), page);
    b->setObjectName(name);
    b->setToolTip(QStringLiteral("Abort"));
    b->setIcon(page->style()->standardIcon(QStyle::SP_BrowserStop));
    b->setGeometry(246, y, 79, 24);
    QObject::connect(b, &QPushButton::clicked, &link, &PhoneLink::requestAbort);
    return b;
}

HoverButton *sendButton(QWidget *page, const QString &name, const QString &caption, const QString &hint, int y)
{
    auto *b = new HoverButton(caption, page);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setFontColorIn(Navy);
    b->setFontColorOut(Black);
    b->setGeometry(246, y, 79, 24);
    b->raise();
    return b;
}
} // namespace

// The window's client area is 329 x 284 with an 18 pixel tab bar on top.
void SmsPage::buildLayout()
{
    setMinimumSize(329, 266);
    buildComposer();
    ComboBox1 = recipientBox(this, QStringLiteral("ComboBox1"), 39, 154, QStringLiteral("SMS to number"));
    ComboBox2 = recipientBox(this, QStringLiteral("ComboBox2"), 35, 184, QStringLiteral("ICQ to number"));
    buildButtons();
    buildStatusBar();
}

// The message, its counter, the reply request and Clear.
void SmsPage::buildComposer()
{
    TextBox = new QPlainTextEdit(this);
    TextBox->setObjectName(QStringLiteral("TextBox"));
    TextBox->setAccessibleName(QStringLiteral("Message text"));
    TextBox->setGeometry(4, 4, 321, 116);
    QFont bold = TextBox->font();
    bold.setBold(true);
    TextBox->setFont(bold);
    Palette::paint(TextBox, Black);
    connect(TextBox, &QPlainTextEdit::textChanged, this, [this] {
        limitText();
        TextBoxChange();
    });

    txtLeft = new QLabel(QStringLiteral("0 / 160"), this);
    txtLeft->setObjectName(QStringLiteral("txtLeft"));
    // Wide enough for "170 / 306 (2 SMS)"; a longer count is drawn smaller.
    txtLeft->setGeometry(4, 125, 124, 19);
    txtLeft->setAlignment(Qt::AlignCenter);
    txtLeft->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    txtLeft->setAutoFillBackground(true);
    txtLeft->setToolTip(QStringLiteral("Message maximum length is 160"));

    chkReply = new QCheckBox(QStringLiteral("Request reply"), this);
    chkReply->setObjectName(QStringLiteral("chkReply"));
    chkReply->setGeometry(134, 126, 108, 17);

    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    btnClear->setGeometry(246, 123, 79, 23);
    connect(btnClear, &QPushButton::clicked, this, &SmsPage::btnClearClick);
}

// Each Abort button lies exactly beneath its send button; the send button
// hides (or is disabled) while the send runs.
void SmsPage::buildButtons()
{
    btnAbort = abortButton(this, m_link, QStringLiteral("btnAbort"), 153);
    btnSend = sendButton(this, QStringLiteral("btnSend"), QStringLiteral("Send SMS"),
                         QStringLiteral("Send message as SMS"), 153);
    btnAbort2 = abortButton(this, m_link, QStringLiteral("btnAbort2"), 183);
    btnICQ = sendButton(this, QStringLiteral("btnICQ"), QStringLiteral("Send ICQ"),
                        QStringLiteral("Send message as ICQ"), 183);
    connect(btnSend, &QPushButton::clicked, this, &SmsPage::btnSendClick);
    connect(btnICQ, &QPushButton::clicked, this, &SmsPage::btnICQClick);

    btnExit = new QPushButton(QStringLiteral("Exit"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setToolTip(QStringLiteral("End program"));
    btnExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnExit->setGeometry(246, 216, 79, 24);
    connect(btnExit, &QPushButton::clicked, this, &SmsPage::exitRequested);
}

void SmsPage::buildStatusBar()
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setGeometry(0, 246, 329, 20);
    const int widths[3] = {200, 60, 60};
    for (int i = 0; i < 3; ++i) {
        statusPanel[i] = new QLabel(StatusBar);
        statusPanel[i]->setObjectName(QStringLiteral("statusPanel%1").arg(i));
        statusPanel[i]->setAlignment(Qt::AlignCenter);
        statusPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusPanel[i]->setFixedWidth(widths[i]);
        StatusBar->addWidget(statusPanel[i]);
    }
}

void SmsPage::setStatus(const QString &text)
{
    statusPanel[0]->setText(text);
    emit statusChanged(text);
}

QString SmsPage::status() const
{
    return statusPanel[0]->text();
}

void SmsPage::setClockText(const QString &text)
{
    statusPanel[1]->setText(text);
}

void SmsPage::setPortText(const QString &text)
{
    statusPanel[2]->setText(text);
}

void SmsPage::setReplyCaption()
{
    chkReply->setText(QStringLiteral("Request reply"));
}

void SmsPage::showPlaceholderText()
{
    TextBox->setPlainText(QStringLiteral("SMS..."));
    TextBox->selectAll();
}

void SmsPage::showButtonPicturesOnly()
{
    btnAbort->setText(QString());
    btnAbort2->setText(QString());
    btnExit->setText(QString());
}

void SmsPage::chooseFirstRecipients(bool smsBookNew, bool icqBookNew)
{
    if (!smsBookNew && ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
    if (!icqBookNew && ComboBox2->count() > 0)
        ComboBox2->setCurrentIndex(0);
}

void SmsPage::focusText()
{
    TextBox->setFocus();
}

void SmsPage::setExitDisabled(bool disabled)
{
    btnExit->setDisabled(disabled);
}

// Typing and pasting alike: what goes beyond the longest message is the
// part just inserted, so it is cut at the cursor and the older text survives.
void SmsPage::limitText()
{
    QString text = TextBox->toPlainText();
    if (Pdu::plan(text).fits())
        return;
    const QSignalBlocker block(TextBox);
    QTextCursor cursor = TextBox->textCursor();
    cursor.clearSelection();
    // Whatever is cut comes from before the cursor; with too little there,
    // from the end.
    if (!Pdu::plan(text.sliced(cursor.position())).fits())
        cursor.movePosition(QTextCursor::End);
    // Far beyond any message, most of a paste goes at once: no text of
    // more characters than the parts hold septets fits.
    const int excess = Pdu::characterCount(text) - Pdu::MaxParts * Pdu::PartSeptets;
    if (excess > 0 && Pdu::characterCount(QStringView(text).first(cursor.position())) >= excess) {
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, excess);
        cursor.removeSelectedText();
        text = TextBox->toPlainText();
    }
    while (!Pdu::plan(text).fits() && cursor.position() > 0) {
        // One character, both halves of a surrogate pair together.
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        text = TextBox->toPlainText();
    }
    TextBox->setTextCursor(cursor);
}

namespace {
// "6 / 160" while the text fits one 7-bit message; the parts and the
// coding when it does not.
QString counterText(const Pdu::Plan &plan)
{
    const QString room = QStringLiteral("%1 / %2").arg(plan.used).arg(plan.capacity);
    if (plan.parts > 1)
        return room + (plan.ucs2 ? QStringLiteral(" (%1 SMS, Unicode)") : QStringLiteral(" (%1 SMS)")).arg(plan.parts);
    return plan.ucs2 ? room + QStringLiteral(" (Unicode)") : room;
}
} // namespace

void SmsPage::TextBoxChange()
{
    const Pdu::Plan plan = Pdu::plan(TextBox->toPlainText());
    const QString count = counterText(plan);
    QFont font = this->font();
    const int room = txtLeft->contentsRect().width() - 4;
    while (QFontMetrics(font).horizontalAdvance(count) > room && font.pointSizeF() > 5)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    txtLeft->setFont(font);
    txtLeft->setText(count);
    // Red when the next few characters would take another part.
    Palette::paint(txtLeft, plan.used < plan.capacity - WarnBefore ? Palette::ButtonFace : Palette::Fill(LightRed));
}

void SmsPage::btnClearClick()
{
    TextBox->clear();
    TextBox->setFocus();
}

void SmsPage::btnSendClick()
{
    const OperationGuard op(m_link, Tab::Sms);
    if (!op)
        return;
    btnSend->hide();
    setEnabledAll({btnICQ, btnExit, chkReply, btnClear, TextBox, ComboBox1, ComboBox2}, false);
    repaint();

    m_link.runGuarded([this] {
        const SmsSender::Message sms = message(false);
        showResult(sms, m_sender.send(sms));
    });

    btnSend->show();
    setEnabledAll({btnAbort, btnICQ, btnExit, chkReply, btnClear, TextBox, ComboBox2, ComboBox1}, true);
    TextBox->setFocus();
}

void SmsPage::btnICQClick()
{
    const OperationGuard op(m_link, Tab::Sms);
    if (!op)
        return;
    btnICQ->hide();
    setEnabledAll({btnAbort, btnSend, btnExit, chkReply, btnClear, TextBox, ComboBox1, ComboBox2}, false);
    repaint();

    m_link.runGuarded([this] {
        const SmsSender::Message icq = message(true);
        showResult(icq, m_sender.send(icq));
    });

    setEnabledAll({btnAbort, btnSend, btnExit, chkReply, btnClear, TextBox, ComboBox2, ComboBox1}, true);
    btnICQ->show();
    TextBox->setFocus();
}

SmsSender::Message SmsPage::message(bool icq) const
{
    SmsSender::Message m{TextBox->toPlainText(), ComboBox1->currentText(), ComboBox2->currentText(),
                         chkReply->isChecked()};
    m.icq = icq;
    return m;
}

void SmsPage::showResult(const SmsSender::Message &message, SmsSender::Result result)
{
    if (const std::optional<QString> text = SmsSender::statusText(result, m_link.portName()))
        setStatus(*text);
    if (!SmsSender::keptStatus(result.outcome).isEmpty())
        emit messageSent(message, result);
}

void SmsPage::markRefused(SmsSender::Field field)
{
    switch (field) {
    case SmsSender::Field::Text:
        flash(m_link, TextBox, Palette::Red, m_link.timing().flash);
        break;
    case SmsSender::Field::SmsRecipient:
        flash(m_link, ComboBox1, Palette::Red, m_link.timing().flash);
        break;
    case SmsSender::Field::IcqRecipient:
        flash(m_link, ComboBox2, Palette::Red, m_link.timing().flash);
        break;
    }
}

namespace {
void setRecipientItem(QComboBox &combo, int index, const QString &text)
{
    if (index < 0)
        return;
    while (combo.count() <= index)
        combo.addItem(QString());
    // Replacing the current item's text must not overwrite what the user has
    // in the edit field; the field follows only an explicit selection.
    const QString edit = combo.isEditable() ? combo.currentText() : QString();
    const bool current = combo.currentIndex() == index;
    combo.setItemText(index, text);
    if (current && combo.isEditable())
        combo.setEditText(edit);
}

void setRecipientText(QComboBox &combo, const QString &text)
{
    if (combo.isEditable()) {
        combo.setEditText(text);
    } else {
        combo.setPlaceholderText(text);
        combo.setCurrentIndex(-1);
    }
}
} // namespace

void SmsPage::setSmsRecipientItem(int index, const QString &text) { setRecipientItem(*ComboBox1, index, text); }
void SmsPage::setIcqRecipientItem(int index, const QString &text) { setRecipientItem(*ComboBox2, index, text); }
void SmsPage::setSmsRecipientText(const QString &text) { setRecipientText(*ComboBox1, text); }
void SmsPage::setIcqRecipientText(const QString &text) { setRecipientText(*ComboBox2, text); }

void SmsPage::setReplyRecipient(const QString &number)
{
    setRecipientText(*ComboBox1, number);
    focusText();
}
