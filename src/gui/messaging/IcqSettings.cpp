// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/messaging/IcqSettings.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/at/Charset.h"
#include "link/PhoneLink.h"
#include "core/messaging/BookFile.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/common/Flash.h"
#include "gui/common/Palette.h"

namespace {
constexpr int NumberLength = 16;

QLineEdit *numberBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(NumberLength);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    Palette::paint(box, Palette::Silver);
    return box;
}

// "+" and the digits of the text; everything else, the typed "+" included, goes.
QByteArray plusDigits(const QString &text)
{
    QByteArray out("+");
    for (QChar c : text)
        if (c >= u'0' && c <= u'9')
            out.append(char(c.unicode()));
    return out;
}
} // namespace

IcqSettings::IcqSettings(SmsBooks &books, PhoneLink &link, QWidget *parent)
    : QWidget(parent), m_books(books), m_link(link)
{
    setObjectName(QStringLiteral("IcqSettings"));
    StaticText8 = new QLabel(QStringLiteral("ICQ SMSC:"), this);
    StaticText8->setObjectName(QStringLiteral("StaticText8"));
    EditICQSMSC = numberBox(QStringLiteral("EditICQSMSC"), this);
    StaticText9 = new QLabel(QStringLiteral("ICQ PH#:"), this);
    StaticText9->setObjectName(QStringLiteral("StaticText9"));
    EditICQPH = numberBox(QStringLiteral("EditICQPH"), this);
    EditICQSMSC->setAccessibleName(QStringLiteral("ICQ SMSC"));
    EditICQPH->setAccessibleName(QStringLiteral("ICQ PH#"));
    btnICQd = new QPushButton(QStringLiteral("Default"), this);
    btnICQd->setObjectName(QStringLiteral("btnICQd"));
    btnICQd->setToolTip(QStringLiteral("Set defult ICQ numbers"));
    btnICQs = new QPushButton(QStringLiteral("Save"), this);
    btnICQs->setObjectName(QStringLiteral("btnICQs"));
    btnICQs->setToolTip(QStringLiteral("Save ICQ Ph# and SMSC preferences"));

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The page is narrow: a whole 16-character number must stay readable,
    // so the boxes get the full width and the buttons a row of their own.
    layout->addWidget(StaticText8, 0, 0);
    layout->addWidget(EditICQSMSC, 0, 1, 1, 2);
    layout->addWidget(StaticText9, 1, 0);
    layout->addWidget(EditICQPH, 1, 1, 1, 2);
    layout->addWidget(btnICQd, 2, 1);
    layout->addWidget(btnICQs, 2, 2);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);

    connect(EditICQSMSC, &QLineEdit::textChanged, this, &IcqSettings::EditICQSMSCChange);
    connect(EditICQPH, &QLineEdit::textChanged, this, &IcqSettings::EditICQPHChange);
    connect(btnICQd, &QPushButton::clicked, this, &IcqSettings::btnICQdClick);
    connect(btnICQs, &QPushButton::clicked, this, &IcqSettings::btnICQsClick);
    EditICQSMSC->installEventFilter(this);
    EditICQPH->installEventFilter(this);
}

void IcqSettings::showNumbers()
{
    // Both boxes get their text even when it does not change, so that the
    // change handlers run as they do on a fresh start.
    EditICQSMSC->setText(fromPhoneText(m_books.icqNumbers.centre).trimmed());
    EditICQSMSCChange();
    EditICQPH->setText(fromPhoneText(m_books.icqNumbers.gateway).trimmed());
    EditICQPHChange();
}

void IcqSettings::keepPlus(QLineEdit *box)
{
    if (box->text().isEmpty())
        box->setText(QStringLiteral("+"));
    if (!box->text().startsWith(u'+'))
        box->setText(u'+' + box->text());
    btnICQs->setEnabled(box->text().size() >= 8);
}

void IcqSettings::EditICQSMSCChange() { keepPlus(EditICQSMSC); }
void IcqSettings::EditICQPHChange() { keepPlus(EditICQPH); }

bool IcqSettings::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == EditICQSMSC || watched == EditICQPH)
        && (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease)) {
        auto *box = static_cast<QLineEdit *>(watched);
        // A selection is left alone, so a select-all still lets a paste
        // replace the whole number.
        if (!box->hasSelectedText() && box->cursorPosition() == 0 && !box->text().isEmpty())
            box->setCursorPosition(1);
    }
    return QWidget::eventFilter(watched, event);
}

void IcqSettings::btnICQdClick()
{
    EditICQSMSC->setText(fromPhoneText(IcqNumbers::defaultCentre()).trimmed());
    EditICQPH->setText(fromPhoneText(IcqNumbers::defaultGateway()).trimmed());
}

void IcqSettings::btnICQsClick()
{
    const QByteArray centre = plusDigits(EditICQSMSC->text());
    if (centre.size() < 7)
        return;
    IcqNumbers &numbers = m_books.icqNumbers;
    numbers.centre = centre.leftJustified(NumberLength, ' ');
    const QByteArray gateway = plusDigits(EditICQPH->text());
    if (gateway.size() < 7)
        return;
    numbers.gateway = gateway.leftJustified(NumberLength, ' ');

    // The boxes hold at most 16 characters, so both fields fit; cut anyway
    // so that no write can reach past byte 753.
    const QByteArray bytes = numbers.centre.left(NumberLength) + numbers.gateway.left(NumberLength);
    const bool ok = m_books.writeBook(BookFile::IcqNumbersOffset, bytes, &lastError);
    if (ok)
        lastError.clear();
    EditICQSMSC->setToolTip(lastError);
    flash(m_link, {EditICQSMSC, EditICQPH}, ok ? Palette::Lime : Palette::Red, m_link.timing().flash);
}
