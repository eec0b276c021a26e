// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SMS page (Panel1): composer, recipients and the send buttons. The
// sending itself is SmsSender's; this page hands it the message and shows
// what it reports.
#include <QWidget>

#include "link/messaging/SmsSender.h"

class PhoneLink;
class QPlainTextEdit;
class QLabel;
class QCheckBox;
class QPushButton;
class QComboBox;
class QStatusBar;
class HoverButton;

class SmsPage : public QWidget {
    Q_OBJECT
public:
    SmsPage(PhoneLink &link, SmsSender &sender, QWidget *parent = nullptr);

private:
    QPlainTextEdit *TextBox;
    QLabel *txtLeft;
    QCheckBox *chkReply;
    QPushButton *btnClear;
    QComboBox *ComboBox1;
    QComboBox *ComboBox2;
    HoverButton *btnSend;
    HoverButton *btnICQ;
    QPushButton *btnAbort;
    QPushButton *btnAbort2;
    QPushButton *btnExit;
    QStatusBar *StatusBar;
    QLabel *statusPanel[3]; // message, clock, port

public:
    void setStatus(const QString &text);
    QString status() const;
    // The status bar's clock and port fields.
    void setClockText(const QString &text);
    void setPortText(const QString &text);

    // The window's steps at creation and first show: the reply caption, the
    // placeholder message selected, the picture-only buttons, each
    // recipient list on its first item unless its book was just created,
    // and the cursor in the message.
    void setReplyCaption();
    void showPlaceholderText();
    void showButtonPicturesOnly();
    void chooseFirstRecipients(bool smsBookNew, bool icqBookNew);
    void focusText();

    void TextBoxChange();
    void btnClearClick();
    void btnSendClick();
    void btnICQClick();

    // The books' items in the recipient lists (ComboBox1 for SMS, ComboBox2
    // for ICQ), and the text a box shows when its book was just created.
    void setSmsRecipientItem(int index, const QString &text);
    void setIcqRecipientItem(int index, const QString &text);
    void setSmsRecipientText(const QString &text);
    void setIcqRecipientText(const QString &text);
    // A reply to a received message: its number as the SMS recipient and
    // the cursor in the message.
    void setReplyRecipient(const QString &number);

public slots:
    // No exit while a phonebook transfer runs.
    void setExitDisabled(bool disabled);

signals:
    void exitRequested();
    // Every text written to the message line, as it is written.
    void statusChanged(const QString &text);
    // A message went to the phone: taken, refused by the network, or with
    // no verdict. A send that never went out is not told.
    void messageSent(const SmsSender::Message &message, const SmsSender::Result &result);

private:
    SmsSender::Message message(bool icq) const;
    void showResult(const SmsSender::Message &message, SmsSender::Result result);
    void markRefused(SmsSender::Field field);
    void buildLayout();
    void buildComposer();
    void buildButtons();
    void buildStatusBar();
    void limitText();

    PhoneLink &m_link;
    SmsSender &m_sender;
};
