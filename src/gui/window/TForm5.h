// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "OK": a small confirmation box; created at start-up, not opened by any feature yet.
#include <QDialog>

class QLabel;
class QPushButton;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);

private:
    QLabel *Image1;
    QLabel *Image2;
    QPushButton *BitBtn1;

public:
    void BitBtn1Click();
};
