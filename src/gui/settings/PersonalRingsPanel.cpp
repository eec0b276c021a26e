// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/PersonalRingsPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "link/PhoneLink.h"
#include "link/settings/PersonalRings.h"
#include "gui/settings/SettingsPattern.h"
#include "gui/common/Flash.h"
#include "gui/common/Palette.h"
#include "gui/common/TypingLimit.h"

using SettingsPattern::iconButton;
using SettingsPattern::label;
using SettingsPattern::readButton;

PersonalRingsPanel::PersonalRingsPanel(PhoneLink &link, PersonalRings &rings, QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelPersonal"), QStringLiteral("Personal Rings"), parent),
      m_link(link),
      m_rings(rings)
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("PanelPersonalContent"));
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    LabelRingList = label(content, "LabelRingList", QStringLiteral("Personal Ring list:"));
    btnGetPR = readButton(content, "btnGetPR", QStringLiteral("RTead personal ring list from phone"));
    auto *top = new QHBoxLayout;
    top->addWidget(LabelRingList, 1);
    top->addWidget(btnGetPR);
    grid->addLayout(top, 0, 0, 1, 3);

    RingBox = new QListWidget(content);
    RingBox->setObjectName(QStringLiteral("RingBox"));
    RingBox->setFixedHeight(112);
    RingBox->setSelectionMode(QAbstractItemView::SingleSelection);
    // The number column lines up only in a fixed-pitch font.
    QFont fixed = RingBox->font();
    fixed.setFamily(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    RingBox->setFont(fixed);
    Palette::paint(RingBox, Palette::Silver);
    grid->addWidget(RingBox, 1, 0, 1, 3);

    LabelPhoneNumber = label(content, "LabelPhoneNumber", QStringLiteral("Phone Number"));
    LabelRingType = label(content, "LabelRingType", QStringLiteral("Ring type"));
    grid->addWidget(LabelPhoneNumber, 2, 0);
    grid->addWidget(LabelRingType, 2, 1, 1, 2);

    EditPR = new QLineEdit(content);
    EditPR->setObjectName(QStringLiteral("EditPR"));
    EditPR->setAccessibleName(LabelPhoneNumber->text());
    EditPR->setValidator(new TypingLimit(EditPR, TypedNumberLength));
    Palette::paint(EditPR, Palette::Silver);
    grid->addWidget(EditPR, 3, 0);

    ComboRings = new QComboBox(content);
    ComboRings->setObjectName(QStringLiteral("ComboRings"));
    ComboRings->setAccessibleName(LabelRingType->text());
    ComboRings->setEditable(true);
    ComboRings->setInsertPolicy(QComboBox::NoInsert);
    ComboRings->setFixedWidth(48);
    ComboRings->lineEdit()->setValidator(new TypingLimit(ComboRings->lineEdit(), 2));
    Palette::paint(ComboRings, Palette::Silver);
    grid->addWidget(ComboRings, 3, 1);

    btnPlay2 = iconButton(content, "btnPlay2", QStyle::SP_MediaPlay, QStringLiteral("Listen to ring"));
    grid->addWidget(btnPlay2, 3, 2);

    btnAdd = new QPushButton(QStringLiteral("Add"), content);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setToolTip(QStringLiteral("Save new personal ring"));
    btnAdd->setAutoDefault(false);
    btnAdd->setEnabled(false);
    grid->addWidget(btnAdd, 4, 1, 1, 2);
    grid->setColumnStretch(0, 1);

    addContent(content);

    connect(btnGetPR, &QPushButton::clicked, this, [this] { btnGetPRClick(); });
    connect(btnAdd, &QPushButton::clicked, this, &PersonalRingsPanel::btnAddClick);
    connect(btnPlay2, &QPushButton::clicked, this, &PersonalRingsPanel::btnPlay2Click);
    connect(ComboRings, &QComboBox::editTextChanged, this, &PersonalRingsPanel::ComboRingsChange);
    connect(EditPR, &QLineEdit::textChanged, this, &PersonalRingsPanel::EditPRChange);
    connect(RingBox, &QListWidget::itemClicked, this, &PersonalRingsPanel::RingBoxClick);
    connect(RingBox, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            RingBoxClick();
    });
    // The melody page reads the same list; both boxes follow it.
    connect(&m_rings, &PersonalRings::ringCodesChanged, this, &PersonalRingsPanel::showRingCodes);
    showRingCodes(m_rings.ringCodes(), m_rings.ringCodesListed());
}

void PersonalRingsPanel::showRingCodes(const QStringList &codes, bool listed)
{
    ComboRings->clear();
    ComboRings->addItems(codes);
    ComboRings->setEditText(listed ? QStringLiteral("1") : QString());
}

void PersonalRingsPanel::btnGetPRClick(bool ringListMode)
{
    // The tab bar stays free, but no second operation may start meanwhile.
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    btnGetPR->setEnabled(false);
    if (!ringListMode)
        RingBox->clear();

    m_link.runGuarded([this, ringListMode] {
        if (ringListMode) {
            m_rings.readRingCodes();
            return;
        }
        if (const std::optional<int> count = m_rings.readRanges()) {
            for (int n = 0; n < *count; ++n) {
                ProcessPR(n);
                if (m_link.AbortRequested())
                    break;
            }
        }
        m_link.closePort();
    });

    btnPlay2->setEnabled(true);
    btnGetPR->setEnabled(true);
}

void PersonalRingsPanel::ProcessPR(int n)
{
    QListWidgetItem *line = RingBox->item(n);
    if (!line) {
        while (RingBox->count() <= n)
            RingBox->addItem(QString());
        line = RingBox->item(n);
    }
    line->setText(RingList::line(n + 1, std::nullopt));
    line->setText(RingList::line(n + 1, m_rings.readEntry(n + 1)));
}

void PersonalRingsPanel::btnAddClick()
{
    const int row = RingBox->currentRow();
    if (row < 0)
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;

    m_link.runGuarded([this, row] {
        const ServiceResult result = m_rings.writeEntry(row + 1, EditPR->text(), ComboRings->currentText());
        btnAdd->setText(result == ServiceResult::Done ? QStringLiteral("OK") : QStringLiteral("Error"));
        btnAdd->repaint();
        // Nothing went out, so the line still shows what the phone holds.
        if (result != ServiceResult::NotSent) {
            ProcessPR(row);
            RingBox->repaint();
        }
        m_link.sleep(m_link.timing().flash);
    });
    btnAdd->setText(QStringLiteral("Add"));
}

void PersonalRingsPanel::btnPlay2Click()
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this] {
        if (m_rings.playRing(ComboRings->currentText()) != ServiceResult::Done)
            flashThenRest(m_link, ComboRings, Palette::Red, m_link.timing().flash, Palette::Silver);
    });
    Palette::paint(ComboRings, Palette::Silver);
}

void PersonalRingsPanel::ComboRingsChange()
{
    const QString code = ComboRings->currentText();
    btnPlay2->setEnabled(!code.isEmpty());
    btnAdd->setEnabled(!code.isEmpty());
    btnPlay2->setToolTip(QStringLiteral("Listen to ring ") + code);
}

void PersonalRingsPanel::EditPRChange()
{
    btnPlay2->setEnabled(!ComboRings->currentText().isEmpty());
}

void PersonalRingsPanel::RingBoxClick()
{
    btnAdd->setEnabled(true);
}

void PersonalRingsPanel::setPhoneNumber(const QString &number)
{
    EditPR->setText(number.trimmed().left(PutNumberLength));
}
