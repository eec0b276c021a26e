// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The About page (Panel5) and the cable diagram reached from it (Panel6).
#include <QLabel>
#include <QWidget>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

// A label that reports a left click (the web and mail links, the logo).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The wiring of the data cable at the phone's system connector.
class CableDiagram : public QWidget {
    Q_OBJECT
public:
    explicit CableDiagram(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {300, 170}; }
protected:
    void paintEvent(QPaintEvent *event) override;
};

class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(QWidget *parent = nullptr);

    static const QString Version;     // "v1.7c"
    static const QString WebAddress;  // shown by www
    static const QString WebLink;     // hint of www and Image1
    static const QString MailAddress; // shown by lblEmail

private:
    QGroupBox *VisitBox;
    ClickLabel *www;
    ClickLabel *lblEmail;
    QPlainTextEdit *InfoBox;
    QLabel *cwlabel;
    QLabel *verLabel;
    ClickLabel *Image1;
    QPushButton *BitBtn3;
    QLabel *cableTitle;
    CableDiagram *cableDiagram;
    QPushButton *BitBtn1;

public:
    // Panel6: created here, placed in the main window's page stack.
    QWidget *Panel6;

    // Captions, addresses and hints (step 5 of the first show).
    void fillTexts();
    static QString infoText();
    static QPixmap logo(qreal devicePixelRatio = 1.0);

    void wwwClick();
    void lblEmailClick();
    void Image1Click();
    void BitBtn3Click();
    void BitBtn1Click();

signals:
    // The main window brings the asked page (this or Panel6) to the front.
    void pageRequested(QWidget *page);
};
