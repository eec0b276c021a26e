// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/melodies/PhoneMelodiesControls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "gui/common/Flash.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/melodies/MelodiesPage.h"
#include "gui/melodies/MelodyComposer.h"
#include "link/PhoneLink.h"
#include "link/melodies/PhoneMelodies.h"
#include "link/settings/PersonalRings.h"

PhoneMelodiesControls::PhoneMelodiesControls(MelodiesPage &page, PhoneLink &link, PhoneMelodies &melodies,
                                             PersonalRings &rings, MelodyComposer &composer)
    : m_page(page), m_link(link), m_melodies(melodies), m_composer(composer)
{
    MelodiesPage &p = m_page;
    for (int k = 0; k < MelodiesPage::Slots; ++k) {
        connect(p.gsmPlay[k], &QPushButton::clicked, this, [this, k] { gsmPlayClick(k + 1); });
        connect(p.editTune[k], &QLineEdit::textChanged, this, [this, k] { editTuneChange(k + 1); });
        connect(p.ok[k], &QPushButton::clicked, this, [this, k] { okClick(k + 1); });
        connect(p.Use[k], &QPushButton::clicked, this, [this, k] { useClick(k + 1); });
    }
    connect(p.btnReadMelodies, &QPushButton::clicked, this, &PhoneMelodiesControls::btnReadMelodiesClick);
    connect(p.CallList, &QComboBox::currentIndexChanged, this, &PhoneMelodiesControls::CallListChange);
    connect(p.ComboRings2, &QComboBox::editTextChanged, this, &PhoneMelodiesControls::ComboRings2Change);
    connect(p.PlayCombo, &QPushButton::clicked, this, &PhoneMelodiesControls::PlayComboClick);
    connect(p.UseCombo, &QPushButton::clicked, this, &PhoneMelodiesControls::UseComboClick);

    // The ring codes are the ones the personal-ring panel reads as well.
    connect(&rings, &PersonalRings::ringCodesChanged, this, &PhoneMelodiesControls::showRingCodes);
    showRingCodes(rings.ringCodes(), rings.ringCodesListed());
    // The box is teal only while the ring codes are being read.
    connect(&m_melodies, &PhoneMelodies::ringCodesRead, this,
            [this] { Palette::paint(m_page.ComboRings2, Palette::Silver); });
}

bool PhoneMelodiesControls::waitsForTune(std::function<void()> again)
{
    // The tune holds the page; pressed meanwhile, the button would
    // otherwise do nothing at all.
    if (!m_composer.tunePlaying())
        return false;
    m_composer.stopTuneThen(std::move(again));
    return true;
}

void PhoneMelodiesControls::btnReadMelodiesClick()
{
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    MelodiesPage &p = m_page;
    p.btnReadMelodies->setEnabled(false);
    p.PlayCombo->setEnabled(false);
    p.UseCombo->setEnabled(false);
    for (QLineEdit *box : p.editTune)
        box->clear();

    Palette::paint(p.ComboRings2, Palette::Teal);
    p.setEnabled(false);
    p.repaint();
    PhoneMelodies::Read read;
    m_link.runGuarded([&] { read = m_melodies.readMelodies(); });
    Palette::paint(p.ComboRings2, Palette::Silver);

    // A port that would not open leaves the boxes empty.
    if (read.status != PhoneMelodies::Read::NoPort) {
        for (int k = 0; k < MelodiesPage::Slots; ++k) {
            p.editTune[k]->setText(read.shown(k + 1));
            if (read.melodies[size_t(k)])
                p.ok[k]->setEnabled(true);
        }
    }

    p.PlayCombo->setEnabled(true);
    ComboRings2Change();
    p.setEnabled(true);
    p.btnReadMelodies->setEnabled(true);
}

void PhoneMelodiesControls::editTuneChange(int slot)
{
    if (slot >= 1 && slot <= MelodiesPage::Slots)
        m_page.ok[slot - 1]->setEnabled(true);
}

void PhoneMelodiesControls::okClick(int slot)
{
    if (slot < 1 || slot > MelodiesPage::Slots || waitsForTune([this, slot] { okClick(slot); }))
        return;
    QLineEdit *box = m_page.editTune[slot - 1];
    if (box->text().isEmpty())
        return;
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    // WriteTune
    ServiceResult result = ServiceResult::Refused;
    m_page.setEnabled(false);
    m_link.runGuarded([&] { result = m_melodies.storeMelody(slot, box->text()); });
    m_page.setEnabled(true);
    flashThenRest(m_link, box, result == ServiceResult::Done ? Palette::DarkGreen : Palette::Red,
                  m_link.timing().flash, Palette::Silver);
}

void PhoneMelodiesControls::useClick(int slot)
{
    if (slot >= 1 && slot <= MelodiesPage::Slots && !waitsForTune([this, slot] { useClick(slot); }))
        SetTune(QString::number(30 + slot));
}

void PhoneMelodiesControls::UseComboClick()
{
    if (!waitsForTune([this] { UseComboClick(); }))
        SetTune(m_page.ComboRings2->currentText());
}

void PhoneMelodiesControls::SetTune(const QString &code)
{
    // The ring type does not lock the tabs, but no second operation may start.
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    MelodiesPage &p = m_page;
    const auto enableAll = [&p](bool on) {
        p.btnReadMelodies->setEnabled(on);
        p.GroupBox1->setEnabled(on);
        for (int k = 0; k < MelodiesPage::Slots; ++k) {
            p.Use[k]->setEnabled(on);
            p.ok[k]->setEnabled(on);
        }
    };
    enableAll(false);
    ServiceResult result = ServiceResult::Refused;
    m_link.runGuarded([&] { result = m_melodies.setRingType(code, p.CallList->currentIndex()); });
    flashThenRest(m_link, p.CallList, result == ServiceResult::Done ? Palette::DarkGreen : Palette::Red,
                  m_link.timing().flash, Palette::Silver);
    enableAll(true);
}

bool PhoneMelodiesControls::callTypeChosen() const
{
    return m_page.CallList->currentIndex() > 0;
}

void PhoneMelodiesControls::setUseHints()
{
    MelodiesPage &p = m_page;
    const QString forType = QStringLiteral(" for \"") + p.CallList->currentText() + u'"';
    p.UseCombo->setToolTip(QStringLiteral("Use ring ") + p.ComboRings2->currentText() + forType);
    for (int k = 0; k < MelodiesPage::Slots; ++k)
        p.Use[k]->setToolTip(QStringLiteral("Use Own-Melody %1").arg(k + 1) + forType);
}

void PhoneMelodiesControls::CallListChange()
{
    const bool chosen = callTypeChosen();
    for (QPushButton *use : m_page.Use)
        use->setEnabled(chosen);
    // Without a call type there is no digit to send.
    m_page.UseCombo->setEnabled(chosen && !m_page.ComboRings2->currentText().isEmpty());
    if (chosen)
        setUseHints();
}

void PhoneMelodiesControls::ComboRings2Change()
{
    MelodiesPage &p = m_page;
    const QString code = p.ComboRings2->currentText();
    p.PlayCombo->setEnabled(!code.isEmpty());
    p.UseCombo->setEnabled(!code.isEmpty() && callTypeChosen());
    setUseHints();
    p.PlayCombo->setToolTip(QStringLiteral("Play ring ") + code + QStringLiteral(" in phone"));
}

void PhoneMelodiesControls::showRingCodes(const QStringList &codes, bool listed)
{
    m_page.ComboRings2->clear();
    m_page.ComboRings2->addItems(codes);
    m_page.ComboRings2->setEditText(listed ? QStringLiteral("1") : QString());
}

void PhoneMelodiesControls::gsmPlayClick(int slot)
{
    if (slot < 1 || slot > MelodiesPage::Slots || waitsForTune([this, slot] { gsmPlayClick(slot); }))
        return;
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    m_page.btnReadMelodies->setEnabled(false);
    m_page.repaint();
    QPushButton *button = m_page.gsmPlay[slot - 1];
    m_link.runGuarded([&] {
        if (m_melodies.playMelody(slot) != ServiceResult::Done) {
            button->setText(QStringLiteral("X"));
            button->repaint();
            m_link.sleep(m_link.timing().flash);
        }
    });
    button->setText(QString::number(slot));
    m_page.btnReadMelodies->setEnabled(true);
}

void PhoneMelodiesControls::PlayComboClick()
{
    if (waitsForTune([this] { PlayComboClick(); }))
        return;
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    m_page.btnReadMelodies->setEnabled(false);
    m_page.repaint();
    m_link.runGuarded([&] { m_melodies.playRing(m_page.ComboRings2->currentText()); });
    m_page.btnReadMelodies->setEnabled(true);
}

void PhoneMelodiesControls::chooseVoice()
{
    m_page.CallList->setCurrentIndex(1);
    CallListChange();
}
