// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Melodies page (Panel3): the four tune boxes and the phone's own
// melodies, the ring type of each call type, the composer with its
// two-octave keyboard, and the melody file list.
//
// The page lays the controls out; what they do lives in two parts:
// MelodyComposer (keyboard, compose line, melody file, Play and Stop) and
// PhoneMelodiesControls (the phone's own melodies and ring types). Both
// use the tune boxes; a phone button pressed during a tune asks the
// composer to stop it first.
#include <QWidget>
#include <array>
#include <memory>

class MelodyComposer;
class MelodyPlayer;
class PersonalRings;
class PhoneLink;
class PhoneMelodies;
class PhoneMelodiesControls;
class PianoKeyboard;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QPushButton;

class MelodiesPage : public QWidget {
    Q_OBJECT
public:
    MelodiesPage(PhoneLink &link, MelodyPlayer &bleeper, PhoneMelodies &melodies, PersonalRings &rings,
                 QWidget *parent = nullptr);
    ~MelodiesPage() override;

    static constexpr int Slots = 4;

private:
    // The two parts work the controls the page lays out.
    friend class MelodyComposer;
    friend class PhoneMelodiesControls;

    // The tune rows, slot 1 first.
    std::array<QPushButton *, Slots> gsmPlay{};
    std::array<QLineEdit *, Slots> editTune{};
    std::array<QPushButton *, Slots> Play{};
    std::array<QPushButton *, Slots> TuneStop{}; // beneath Play
    std::array<QPushButton *, Slots> ok{};       // "Store"

    // The ring selection.
    QPushButton *btnReadMelodies;
    QComboBox *CallList;
    std::array<QPushButton *, Slots> Use{};
    QComboBox *ComboRings2;
    QPushButton *PlayCombo;
    QPushButton *UseCombo;

    // The composer.
    QPushButton *PlayCustom;
    QPushButton *BitBtn8; // beneath PlayCustom
    QPushButton *btnPause;
    QPushButton *BitBtn9; // "Clear"
    QPushButton *btnDel;
    PianoKeyboard *keyboard;
    QCheckBox *chkLong;
    QLineEdit *editCompose;
    std::array<QPushButton *, Slots> composeToTune{}; // Load5, Load6, load7, Load8

    // The melody file.
    QGroupBox *GroupBox1;
    QPushButton *btnLoadTunes;
    QComboBox *TuneList;
    QPushButton *PlayFile;
    QPushButton *TuneStop5; // beneath PlayFile
    std::array<QPushButton *, Slots> fileToTune{}; // Load1..Load4
    // Made when the page is first shown (makeFileDialogs).
    QFileDialog *OpenTunes = nullptr;
    QFileDialog *SaveTunes = nullptr; // a tune box or the compose line as RTTTL or eMelody

public:
    MelodyComposer &composer() { return *m_composer; }
    PhoneMelodiesControls &phone() { return *m_phone; }

    // The start-up choice: " Voice", and the hints that follow from it.
    void chooseVoice();

protected:
    // A click on the bare page is an Abort, as the Abort buttons of the
    // other pages are.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildTuneRows();
    void buildRingRow();
    void buildComposer();
    void buildFileGroup();
    void makeFileDialogs();

    PhoneLink &m_link;
    std::unique_ptr<MelodyComposer> m_composer;
    std::unique_ptr<PhoneMelodiesControls> m_phone;
};
