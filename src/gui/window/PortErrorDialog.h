// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Error": the phone link could not be used (port missing, busy, refused, or
// the phone fell silent in binary mode). Shown while the main window is disabled.
#include <QDialog>

class QLabel;
class QPushButton;

class PortErrorDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortErrorDialog(QWidget *parent = nullptr);

private:
    QLabel *Image1;
    QLabel *lblReason;
    QPushButton *BitBtn1;

public:
    // One line naming the device and what went wrong; empty hides it.
    void setReason(const QString &reason);
    QString reason() const { return m_reason; }
    void BitBtn1Click();

    // The 32 x 32 picture of a serial plug pulled out of its socket.
    static QPixmap unpluggedCable(qreal devicePixelRatio = 1.0);

private:
    QString m_reason;
};
