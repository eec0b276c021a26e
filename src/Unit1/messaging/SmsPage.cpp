#include "Unit1/messaging/SmsPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTextCursor>

#include "CPort/TComPort.h"
#include "Unit1/link/Charset.h"
#include "Unit1/link/NumberConversion.h"
#include "Unit1/link/PhoneLink.h"
#include "Unit1/link/ReplyParse.h"
#include "Unit1/messaging/BinaryFrames.h"
#include "Unit1/messaging/MessagingState.h"
#include "Unit1/messaging/PduBuilder.h"
#include "passoverbtn/TPassOverBtn.h"

namespace {
constexpr int MaxText = 160;
constexpr int WarnFrom = 150;
constexpr int FlashMs = 500;
constexpr int PromptMs = 1000;
constexpr int BinaryReplyMs = 4000;
constexpr int CentreQueryMs = 3000;

const QColor Red(255, 0, 0);
const QColor Silver(192, 192, 192);
const QColor Teal(0, 128, 128);
const QColor Black(0, 0, 0);
const QColor LightRed(210, 98, 98);
const QColor Navy(0, 0, 128);

const QString SentWaiting = QStringLiteral("Sent, waiting for confirmation..");
const QString Aborted = QStringLiteral("Aborted");

void setEnabledAll(std::initializer_list<QWidget *> widgets, bool on)
{
    for (QWidget *w : widgets)
        w->setEnabled(on);
}

void paintBase(QWidget *w, const QColor &c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, c);
    pal.setColor(QPalette::Button, c);
    w->setPalette(pal);
}

// Characters as the phone will count them: one per code point.
int characterCount(const QString &text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++n;
    }
    return n;
}

// LongReplyWait must not outlive its one exchange, even when the port fails
// in the middle of it: every later exchange would wait 45 s.
struct LongWait {
    PhoneLink &link;
    explicit LongWait(PhoneLink &l) : link(l) { link.LongReplyWait = true; }
    ~LongWait() { link.LongReplyWait = false; }
};

// A centre query answer that can be written back: "BQ", length, type and
// at least one digit.
bool restorableCentre(const QByteArray &body)
{
    const QByteArray shown = Frames::centreText(body);
    for (char c : shown) {
        if (c >= '0' && c <= '9')
            return true;
    }
    return false;
}
} // namespace

SmsPage::SmsPage(PhoneLink &link, MessagingState &state, QLineEdit &txtGSMSMSC, QWidget *parent)
    : QWidget(parent), m_link(link), m_state(state), m_smsc(txtGSMSMSC)
{
    setObjectName(QStringLiteral("Panel1"));
    buildLayout();
    TextBoxChange();
}

void SmsPage::buildLayout()
{
    // The window's client area is 329 x 284 with an 18 pixel tab bar on top.
    setMinimumSize(329, 266);

    TextBox = new QPlainTextEdit(this);
    TextBox->setObjectName(QStringLiteral("TextBox"));
    TextBox->setGeometry(4, 4, 321, 116);
    QFont bold = TextBox->font();
    bold.setBold(true);
    TextBox->setFont(bold);
    {
        QPalette pal = TextBox->palette();
        pal.setColor(QPalette::Base, Black);
        pal.setColor(QPalette::Text, Qt::white);
        TextBox->setPalette(pal);
    }
    connect(TextBox, &QPlainTextEdit::textChanged, this, [this] {
        limitText();
        TextBoxChange();
    });

    txtLeft = new QLabel(QStringLiteral("0 / 160"), this);
    txtLeft->setObjectName(QStringLiteral("txtLeft"));
    txtLeft->setGeometry(4, 125, 72, 19);
    txtLeft->setAlignment(Qt::AlignCenter);
    txtLeft->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    txtLeft->setAutoFillBackground(true);
    txtLeft->setToolTip(QStringLiteral("Message maximum length is 160"));

    chkReply = new QCheckBox(QStringLiteral("Request reply"), this);
    chkReply->setObjectName(QStringLiteral("chkReply"));
    chkReply->setGeometry(86, 126, 120, 17);

    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    btnClear->setGeometry(246, 123, 79, 23);
    connect(btnClear, &QPushButton::clicked, this, &SmsPage::btnClearClick);

    auto makeRecipientBox = [this](const QString &name, int maxLength, int y, const QString &placeholder) {
        auto *box = new QComboBox(this);
        box->setObjectName(name);
        box->setEditable(true);
        // The list mirrors the book; Enter must not grow it.
        box->setInsertPolicy(QComboBox::NoInsert);
        box->lineEdit()->setMaxLength(maxLength);
        box->lineEdit()->setPlaceholderText(placeholder);
        box->setGeometry(4, y, 236, 22);
        paintBase(box, Silver);
        paintBase(box->lineEdit(), Silver);
        return box;
    };
    ComboBox1 = makeRecipientBox(QStringLiteral("ComboBox1"), 39, 154, QStringLiteral("SMS to number"));
    ComboBox2 = makeRecipientBox(QStringLiteral("ComboBox2"), 35, 184, QStringLiteral("ICQ to number"));

    // Each Abort button lies exactly beneath its send button; the send
    // button hides (or is disabled) while the send runs.
    auto makeAbort = [this](const QString &name, int y) {
        auto *b = new QPushButton(QStringLiteral("Abort"), this);
        b->setObjectName(name);
        b->setToolTip(QStringLiteral("Abort"));
        b->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
        b->setGeometry(246, y, 79, 24);
        connect(b, &QPushButton::clicked, &m_link, &PhoneLink::btnAbortClick);
        return b;
    };
    auto makeSend = [this](const QString &name, const QString &caption, const QString &hint, int y) {
        auto *b = new TPassOverBtn(caption, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setFontColorIn(Navy);
        b->setFontColorOut(Black);
        b->setGeometry(246, y, 79, 24);
        b->raise();
        return b;
    };
    btnAbort = makeAbort(QStringLiteral("btnAbort"), 153);
    btnSend = makeSend(QStringLiteral("btnSend"), QStringLiteral("Send SMS"), QStringLiteral("Send message as SMS"), 153);
    btnAbort2 = makeAbort(QStringLiteral("btnAbort2"), 183);
    btnICQ = makeSend(QStringLiteral("btnICQ"), QStringLiteral("Send ICQ"), QStringLiteral("Send message as ICQ"), 183);
    connect(btnSend, &QPushButton::clicked, this, &SmsPage::btnSendClick);
    connect(btnICQ, &QPushButton::clicked, this, &SmsPage::btnICQClick);

    btnExit = new QPushButton(QStringLiteral("Exit"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setToolTip(QStringLiteral("End program"));
    btnExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnExit->setGeometry(246, 216, 79, 24);
    connect(btnExit, &QPushButton::clicked, this, &SmsPage::exitRequested);

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

// Typing and pasting alike: what goes beyond 160 characters is the part
// just inserted, so it is cut at the cursor and the older text survives.
void SmsPage::limitText()
{
    const QString text = TextBox->toPlainText();
    int excess = characterCount(text) - MaxText;
    if (excess <= 0)
        return;
    const QSignalBlocker block(TextBox);
    QTextCursor cursor = TextBox->textCursor();
    cursor.clearSelection();
    if (cursor.position() < excess)
        cursor.movePosition(QTextCursor::End);
    while (excess > 0 && cursor.position() > 0) {
        // One character, both halves of a surrogate pair together.
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        --excess;
    }
    TextBox->setTextCursor(cursor);
}

void SmsPage::TextBoxChange()
{
    const int length = characterCount(TextBox->toPlainText());
    txtLeft->setText(QStringLiteral("%1 / 160").arg(length));
    QPalette pal = txtLeft->palette();
    pal.setColor(QPalette::Window, length < WarnFrom ? QApplication::palette().color(QPalette::Button) : LightRed);
    txtLeft->setPalette(pal);
}

void SmsPage::btnClearClick()
{
    TextBox->clear();
    TextBox->setFocus();
}

bool SmsPage::startOperation()
{
    // Another page's operation owns the port and the shared strings.
    if (m_link.BusyPage != PhoneLink::Idle)
        return false;
    m_link.BusyPage = 0;
    return true;
}

void SmsPage::btnSendClick()
{
    if (!startOperation())
        return;
    btnSend->hide();
    setEnabledAll({btnICQ, btnExit, chkReply, btnClear, TextBox, ComboBox1, ComboBox2}, false);
    m_state.IcqMode = false;
    m_state.SmscRestored = true;
    repaint();

    m_link.runGuarded([this] { MainLoop1(); });

    btnSend->show();
    setEnabledAll({btnAbort, btnICQ, btnExit, chkReply, btnClear, TextBox, ComboBox2, ComboBox1}, true);
    TextBox->setFocus();
    m_link.BusyPage = PhoneLink::Idle;
}

void SmsPage::btnICQClick()
{
    if (!startOperation())
        return;
    btnICQ->hide();
    setEnabledAll({btnAbort, btnSend, btnExit, chkReply, btnClear, TextBox, ComboBox1, ComboBox2}, false);
    m_state.IcqMode = true;
    m_state.SmscRestored = true;
    repaint();

    m_link.runGuarded([this] { MainLoop1(); });

    m_state.IcqMode = false;
    setEnabledAll({btnAbort, btnSend, btnExit, chkReply, btnClear, TextBox, ComboBox2, ComboBox1}, true);
    btnICQ->show();
    m_link.BusyPage = PhoneLink::Idle;
    TextBox->setFocus();
}

void SmsPage::flashRed(QWidget *box, const QColor &restColour)
{
    QWidget *surface = box;
    if (auto *combo = qobject_cast<QComboBox *>(box); combo && combo->lineEdit())
        surface = combo->lineEdit();
    paintBase(box, Red);
    if (surface != box)
        paintBase(surface, Red);
    box->repaint();
    m_link.sleep(FlashMs);
    paintBase(box, restColour);
    if (surface != box)
        paintBase(surface, restColour);
    box->repaint();
}

void SmsPage::MainLoop1()
{
    m_link.AbortRequested = false;
    if (TextBox->toPlainText().isEmpty()) {
        flashRed(TextBox, Black);
        m_link.AbortRequested = true;
        m_link.Timer2.stop();
        return;
    }

    ProcessNumber();
    if (m_link.AbortRequested)
        return;

    setStatus(QStringLiteral("SMS -> GSM ..."));
    m_state.SmscRestored = true;

    TComPort &port = m_link.ComPort1;
    m_link.CommandText = "AT\r\n";
    m_link.SendCommand();
    if (m_link.ReplyText.isEmpty() || !port.Connected()) {
        setStatus(QStringLiteral("Phone not found on ") + port.Port());
        if (port.Connected())
            port.PortClose();
        return;
    }

    m_link.CommandText = "AT+CMGS=?\r\n";
    m_link.SendCommand();
    if (!m_link.ReplyText.isEmpty())
        SendSMSAT();
    else
        SendSMSbinary();
}

void SmsPage::ProcessNumber()
{
    MessagingState &s = m_state;
    if (!s.IcqMode && !s.NumberPreset)
        s.NumberText = Reply::trimmed(toPhoneText(ComboBox1->currentText()));
    if (s.IcqMode && !s.NumberPreset)
        ProcessICQ();
    if (m_link.AbortRequested)
        return;
    if (!Pdu::encodeNumber(s)) {
        flashRed(ComboBox1, Silver);
        m_link.AbortRequested = true;
        m_link.Timer2.stop();
    }
}

void SmsPage::ProcessICQ()
{
    const auto recipient = Pdu::icqRecipient(toPhoneText(ComboBox2->currentText()), m_state.IcqGatewayNumber);
    m_link.AbortRequested = false;
    if (!recipient) {
        flashRed(ComboBox2, Silver);
        m_link.AbortRequested = true;
        m_link.Timer2.stop();
        return;
    }
    m_state.NumberText = *recipient;
}

void SmsPage::ProcessText()
{
    Pdu::encodeText(m_state, toPhoneText(TextBox->toPlainText()).left(MaxText));
}

// Pumps until a byte is waiting (true), or until an abort or the end of
// Timer2 when asked to stop on those (false).
bool SmsPage::waitForInput(bool stopOnAbort, bool stopOnTimeout)
{
    TComPort &port = m_link.ComPort1;
    for (;;) {
        // Abort first: the port may have been closed along with it.
        if (stopOnAbort && m_link.AbortRequested)
            return false;
        if (port.PortWaiting() > 0)
            return true;
        if (stopOnTimeout && !m_link.timer2Running())
            return false;
        m_link.pumpOnce();
    }
}

void SmsPage::restoreCentreAT()
{
    m_link.CommandText = numberTophone(Reply::trimmed(toPhoneText(m_smsc.text())));
    m_link.CommandText = "AT+CSCA=\"" + m_link.CommandText + "\r\n";
    m_link.SendCommand();
    m_state.SmscRestored = true;
}

void SmsPage::SendSMSAT()
{
    if (m_state.IcqMode) {
        GetSMSC();
        if (!m_state.SmscRead) {
            setStatus(QStringLiteral("Error getting SMSC"));
            return;
        }
        m_link.CommandText = numberTophone(Reply::trimmed(m_state.IcqSmscNumber));
        m_link.CommandText = "AT+CSCA=\"" + m_link.CommandText + "\r\n";
        // Once the command is on the line the phone may have taken it even
        // when its answer is lost, so from here on the own centre goes back.
        m_state.SmscRestored = false;
        m_link.SendCommand();
        if (m_link.ReplyText.isEmpty()) {
            finishAT();
            return;
        }
    }
    if (!submitAT())
        setStatus(Aborted);
    finishAT();
}

// PDU mode, the prompt, the message. False when the message never went out.
bool SmsPage::submitAT()
{
    TComPort &port = m_link.ComPort1;
    m_link.CommandText = "AT+CMGF=0\r\n";
    m_link.SendCommand();
    if (m_link.ReplyText.isEmpty())
        return false;

    ProcessText();

    port.PortWrite("AT+CMGS=" + QByteArray::number(Pdu::tpduLength(m_state)) + "\r");
    // One second for the prompt in all, however much echo comes before it.
    m_link.startTimer2(PromptMs);
    m_link.ReplyText.clear();
    while (m_link.ReplyText != ">") {
        if (m_link.AbortRequested || !m_link.timer2Running()) {
            // A prompt that comes late leaves the phone collecting message
            // text: ESC ends that, so the centre command that may follow is
            // not swallowed as part of a message.
            if (port.Connected()) {
                port.PortWrite("\x1b");
                m_link.sleep(200);
            }
            if (port.Connected())
                port.PortPurge(true, false);
            return false;
        }
        if (port.PortWaiting() > 0) {
            m_link.ReplyText = port.PortRead(1);
            m_link.pumpPending();
        } else {
            m_link.pumpOnce();
        }
    }

    const QByteArray pdu = Pdu::submitPdu(m_state, chkReply->isChecked());
    setStatus(SentWaiting);
    m_link.CommandText = Pdu::hex(pdu) + '\x1a';
    {
        const LongWait wait(m_link);
        m_link.SendCommand();
    }
    setStatus(m_link.ReplyText.isEmpty() ? QStringLiteral("SMS status unknown.") : QStringLiteral("SMS sent OK."));
    QApplication::beep();
    return true;
}

void SmsPage::finishAT()
{
    if (!m_state.SmscRestored && m_link.ComPort1.Connected())
        restoreCentreAT();
    closeLink();
}

// The break, then the port closed. A port already closed under the send
// (the window closing in the middle of it) is left alone.
void SmsPage::closeLink()
{
    TComPort &port = m_link.ComPort1;
    if (port.Connected())
        m_link.SendCommBreak();
    if (port.Connected())
        port.PortClose();
}

void SmsPage::restoreCentreBinary()
{
    TComPort &port = m_link.ComPort1;
    port.PortPurge(true, false);
    const QByteArray frame = Frames::restore(m_state.SavedSmscFrame);
    m_state.SmscRestored = true;
    port.PortWrite(frame);
    // Bounded, unlike the other binary waits: this runs on the way out after
    // an abort or a time-out, and a phone that is gone must not keep the
    // port after the user has already pressed Abort once.
    m_link.startTimer2(BinaryReplyMs);
    if (!waitForInput(true, true)) {
        m_link.Timer2.stop();
        return;
    }
    port.PortRead(1);
    if (!m_link.AbortRequested)
        m_link.GetCommand2();
    m_link.Timer2.stop();
}

void SmsPage::binaryTimeOut()
{
    TComPort &port = m_link.ComPort1;
    m_link.Timer2.stop();
    if (!m_state.SmscRestored && port.Connected())
        restoreCentreBinary();
    closeLink();
    // The dialog waits in the event loop; a pending abort would turn that
    // wait into a busy one, and there is nothing left to abort.
    m_link.AbortRequested = false;
    if (m_link.showLinkFailure)
        m_link.showLinkFailure();
    setStatus(QString());
}

void SmsPage::binaryAborted()
{
    TComPort &port = m_link.ComPort1;
    setStatus(Aborted + QStringLiteral(", closing.."));
    m_link.AbortRequested = false;
    if (!m_state.SmscRestored && port.Connected())
        restoreCentreBinary();
    closeLink();
    m_link.Timer2.stop();
    setStatus(Aborted);
}

SmsPage::BinaryExit SmsPage::switchToIcqCentre()
{
    TComPort &port = m_link.ComPort1;
    m_link.startTimer2(BinaryReplyMs);
    port.PortPurge(true, false);
    port.PortWrite(Frames::centreQuery());
    if (!waitForInput(true, true))
        return m_link.AbortRequested ? BinaryExit::Aborted : BinaryExit::TimedOut;
    port.PortRead(1);
    m_link.GetCommand();
    if (!m_link.timer2Running())
        return BinaryExit::TimedOut;
    if (m_link.AbortRequested)
        return BinaryExit::Aborted;

    m_state.SavedSmscFrame = m_link.ReplyText;
    port.PortPurge(true, false);
    if (!restorableCentre(m_state.SavedSmscFrame))
        return BinaryExit::NoCentre;

    m_state.NumberPreset = true;
    m_state.NumberText = m_state.IcqSmscNumber;
    ProcessNumber();
    m_state.NumberPreset = false;
    if (m_link.AbortRequested) // the ICQ centre number itself was refused
        return BinaryExit::Aborted;

    const QByteArray frame = Frames::centreSet(m_state);
    m_state.SmscRestored = false;
    port.PortWrite(frame);
    if (!waitForInput(true, true))
        return BinaryExit::TimedOut;
    port.PortRead(1);
    m_link.GetCommand();
    if (!m_link.timer2Running() || m_link.AbortRequested)
        return BinaryExit::TimedOut;

    m_link.Timer2.stop();
    m_link.sleep(500);
    return BinaryExit::Done;
}

void SmsPage::SendSMSbinary()
{
    TComPort &port = m_link.ComPort1;
    m_link.GoBinary();
    // Nothing goes to a phone that did not enter binary mode, nor after the
    // user pressed Abort: the message must not leave after an abort.
    if (m_link.AbortRequested) {
        binaryAborted();
        return;
    }

    if (m_state.IcqMode) {
        switch (switchToIcqCentre()) {
        case BinaryExit::Done:
            break;
        case BinaryExit::TimedOut:
            binaryTimeOut();
            return;
        case BinaryExit::Aborted:
            binaryAborted();
            return;
        case BinaryExit::NoCentre:
            // Without the phone's own centre in hand the ICQ centre would
            // replace it for good.
            setStatus(QStringLiteral("Error getting SMSC"));
            closeLink();
            return;
        }
    }

    ProcessNumber();
    if (m_link.AbortRequested) {
        binaryAborted();
        return;
    }
    ProcessText();

    const QByteArray frame = Frames::submit(Pdu::submitPdu(m_state, chkReply->isChecked()));
    port.PortPurge(true, false);
    port.PortWrite(frame);
    setStatus(SentWaiting);

    if (!waitForInput(true, false)) {
        binaryAborted();
        return;
    }
    m_link.ReplyText = port.PortRead(1);
    m_link.AbortRequested = false;
    m_link.GetCommand();
    if (m_link.AbortRequested) {
        binaryAborted();
        return;
    }

    switch (Frames::judgeSubmitReply(m_link.ReplyText)) {
    case Frames::Outcome::Sent:
        setStatus(QStringLiteral("SMS sent OK."));
        QApplication::beep();
        break;
    case Frames::Outcome::Failed:
        setStatus(QStringLiteral("SMS failed"));
        break;
    case Frames::Outcome::Unknown:
        setStatus(QStringLiteral("SMS ???"));
        break;
    }

    if (!m_state.SmscRestored && port.Connected())
        restoreCentreBinary();
    closeLink();
}

void SmsPage::GetSMSC()
{
    m_state.SmscRead = false;
    m_smsc.clear();
    paintBase(&m_smsc, Teal);
    m_smsc.repaint();

    m_link.CommandText = "AT+CSCA?\r\n";
    m_link.SendCommand();
    if (!m_link.ReplyText.isEmpty() && !m_link.AbortRequested && m_link.ReplyText.contains('"')) {
        const auto centre = Reply::smsCentre(m_link.ReplyText);
        // An empty quoted centre is no number to restore later.
        if (centre && !centre->isEmpty() && *centre != "+") {
            m_smsc.setText(QStringLiteral(" ") + fromPhoneText(*centre));
            m_state.SmscRead = true;
        }
    }
    paintBase(&m_smsc, Silver);
}

void SmsPage::GetSMSCbinary()
{
    TComPort &port = m_link.ComPort1;
    paintBase(&m_smsc, Teal);
    m_smsc.repaint();

    m_link.GoBinary();
    if (!m_link.AbortRequested) {
        m_link.Timer2.stop();
        port.PortWrite(Frames::centreQuery());
        m_link.startTimer2(CentreQueryMs);
        // Cancel ends the wait too: the user should not sit out the 3 s.
        if (waitForInput(true, true)) {
            port.PortRead(1);
            m_link.GetCommand2();
            const QByteArray &body = m_link.ReplyText;
            if (m_link.timer2Running() && !m_link.AbortRequested && body.size() >= 3 && body.startsWith("BQ"))
                m_smsc.setText(fromPhoneText(Frames::centreText(body)));
        }
        m_link.Timer2.stop();
    }

    if (port.Connected())
        m_link.SendCommBreak();
    m_link.sleep(200);
    paintBase(&m_smsc, Silver);
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
