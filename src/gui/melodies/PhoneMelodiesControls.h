// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the Melodies page's phone controls do: read the phone's four own
// melodies into the tune boxes, store a box back, let the phone play a
// melody or a ring, and choose the ring type of each call type.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class MelodiesPage;
class MelodyComposer;
class PersonalRings;
class PhoneLink;
class PhoneMelodies;

class PhoneMelodiesControls : public QObject {
    Q_OBJECT
public:
    // Wires the phone controls of `page`, which outlives this. A press that
    // comes while the composer plays a tune stops the tune first.
    PhoneMelodiesControls(MelodiesPage &page, PhoneLink &link, PhoneMelodies &melodies, PersonalRings &rings,
                          MelodyComposer &composer);

    void btnReadMelodiesClick();
    void editTuneChange(int slot);
    void okClick(int slot); // "Store", with WriteTune
    void useClick(int slot); // Use1..Use4
    void UseComboClick();
    void CallListChange();
    void ComboRings2Change();
    void gsmPlayClick(int slot);
    void PlayComboClick();

    // The start-up choice: " Voice", and the hints that follow from it.
    void chooseVoice();

private:
    // A press during a Play button's tune stops the tune and comes back,
    // as `again`, once the tune is over: true then.
    bool waitsForTune(std::function<void()> again);
    void SetTune(const QString &code);
    void setUseHints();
    bool callTypeChosen() const;
    void showRingCodes(const QStringList &codes, bool listed);

    MelodiesPage &m_page;
    PhoneLink &m_link;
    PhoneMelodies &m_melodies;
    MelodyComposer &m_composer;
};
