// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Inbox page: the messages stored in the phone read into a list, shown
// one by one, answered, deleted and kept in a file. The wire steps are
// InboxService's; the page runs them inside the operation guard.
#include <QWidget>
#include <functional>

#include "core/messaging/InboxMessages.h"

class ArchiveView;
class PhoneLink;
class InboxService;
class QComboBox;
class QFileDialog;
class QPlainTextEdit;
class QProgressBar;
class QStackedWidget;
class QPushButton;
class QTableWidget;

class InboxPage : public QWidget {
    Q_OBJECT
public:
    explicit InboxPage(PhoneLink &link, QWidget *parent = nullptr);

    // The name a number goes by in the user's books, empty when none.
    using NameLookup = std::function<QString(const QString &number)>;
    void setNameLookup(NameLookup lookup);

    void btnInboxReadClick();
    void btnInboxAbortClick();
    void btnInboxReplyClick();
    void btnInboxCallClick();
    void btnInboxDeleteClick();
    void btnInboxSaveClick();

    // The messages the list shows, newest first.
    const QList<InboxMessage> &messages() const { return m_messages; }

    // The "Archive" view; the window gives it the archive.
    ArchiveView *archiveView() const { return m_archiveView; }

signals:
    // "Reply" on a message: the SMS page is to write to this number.
    void replyRequested(const QString &number);
    // Messages read from the phone, for the archive.
    void messagesRead(const QList<InboxMessage> &messages);
    // "Call": the window dials the message's number.
    void callRequested(const QString &number);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox *InboxMemory;
    QPushButton *btnInboxRead;
    QPushButton *btnInboxAbort;
    QProgressBar *InboxProgress;
    QTableWidget *InboxList;
    QPlainTextEdit *InboxText;
    QPushButton *btnInboxReply;
    QPushButton *btnInboxCall;
    QPushButton *btnInboxDelete;
    QPushButton *btnInboxSave;
    QFileDialog *InboxSaveFile = nullptr;
    QComboBox *InboxView;
    QStackedWidget *InboxViews;
    ArchiveView *m_archiveView;

    void buildLayout();
    // Every control but Abort off while an operation runs; Abort shown in
    // Read's place for a read.
    void setBusy(bool busy, bool reading = false);
    // The list rebuilt from the parts in hand, names looked up again.
    void showParts();
    void showCurrent();
    void updateButtons();
    // What the phone last asked lacks is off, with the reason in its hint:
    // the phone memory among the stores, Read on a phone without PDU mode.
    void followCapabilities();
    // Why the read cannot be made on the phone last asked; empty when it can.
    QString lackedFor(int memory) const;
    QList<int> selectedRows() const;
    const InboxMessage *current() const;
    void showMessageBox(const QString &name, const QString &text);

    PhoneLink &m_link;
    InboxService *m_service;
    NameLookup m_lookup;
    QList<InboxPart> m_parts;
    QList<InboxMessage> m_messages;
    QString m_notice; // why the last operation stopped, shown when no message is
    bool m_busy = false;
};
