#pragma once
// The Melodies page (Panel3): the four tune boxes and the phone's own
// melodies, the ring type of each call type, the composer with its
// two-octave keyboard, and the melody file list.
#include <QAbstractButton>
#include <QByteArray>
#include <QWidget>
#include <array>

class MyBleeper;
class PersonalRings;
class PhoneLink;
class PhoneMelodies;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;

// One key of the on-screen keyboard. A white key is a filled shape that
// answers any mouse button going down; a black key is a small panel that
// answers a click.
class PianoKey : public QAbstractButton {
    Q_OBJECT
public:
    PianoKey(bool black, QWidget *parent);
    bool isBlack() const { return m_black; }
    // Green while its note sounds, else its own colour; painted at once,
    // since no window messages are handled while a note sounds.
    void setLit(bool lit);

signals:
    void struck();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_black;
};

class MelodiesPage : public QWidget {
    Q_OBJECT
public:
    MelodiesPage(PhoneLink &link, MyBleeper &bleeper, PhoneMelodies &melodies, PersonalRings &rings,
                 QWidget *parent = nullptr);

    static constexpr int Slots = 4;
    static constexpr int KeyCount = 24;

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
    QFrame *keyboard;
    std::array<PianoKey *, KeyCount> keys{}; // octave 5 C..B, then octave 6
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
    QFileDialog *OpenTunes;

    // The key for a semitone index 0..11 and octave 5 or 6, or none.
    PianoKey *key(int index, int octave) const;

    // ---- Composer ----
    void keyStruck(int key); // every key of the keyboard
    void chkLongClick();
    void btnPauseClick();
    void BitBtn9Click();
    void btnDelClick();
    void btnLoadTunesClick();
    // Targets 1-4: the file line into a tune box; 5-8: the compose line
    // into a tune box; 9: the compose line, 10: the file line, as the text
    // to play.
    void MoveTune(int target);
    // Play1..Play4, PlayFile and PlayCustom.
    void playClick(QPushButton *play);
    void TuneStop1Click(); // every Stop button
    // Whether a Play button's tune is playing.
    bool tunePlaying() const { return m_playing != nullptr; }

    // ---- The phone's own melodies and ring types ----
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
    void buildTuneRows();
    void buildRingRow();
    void buildComposer();
    void buildFileGroup();
    void showKeyLit(int index, int octave, bool lit);
    void showRingCodes(const QStringList &codes, bool listed);
    void playTune(const QByteArray &text);
    void SetTune(const QString &code);
    void setUseHints();
    bool callTypeChosen() const;

    PhoneLink &m_link;
    MyBleeper &m_bleeper;
    PhoneMelodies &m_melodies;
    QPushButton *m_playing = nullptr;
    // What PlayFile and PlayCustom play, made by MoveTune 9 and 10.
    QByteArray m_playText;
};
