// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "SIM PIN": asks for the SIM's PIN, or for its PUK and a new PIN, when an
// operation finds the SIM locked. What is typed is never shown, kept or
// logged; the dialog gives the AT+CPIN command and forgets the text.
#include <QDialog>
#include <optional>

#include "core/status/StatusAt.h"

class QLabel;
class QLineEdit;
class QPushButton;

class PinDialog : public QDialog {
    Q_OBJECT
public:
    // `note` tells how the last try went ("Wrong PIN. 2 tries left.").
    PinDialog(StatusAt::Lock lock, const QString &note, QWidget *parent = nullptr);

    // Shows the dialog; the command to send, or nothing after Cancel.
    static std::optional<QByteArray> ask(StatusAt::Lock lock, const QString &note, QWidget *parent);

private:
    QLabel *PinText;
    QLineEdit *editPuk = nullptr;
    QLineEdit *editPin;
    QPushButton *btnPinOk;
    QPushButton *btnPinCancel;
    StatusAt::Lock m_lock;
    std::optional<QByteArray> command() const;
};
