// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the composer's controls on the Melodies page do: the keyboard and
// the compose line, the melody file, moving a melody into a tune box, and
// the six Play buttons with their Stop buttons.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <functional>

class MelodiesPage;
class MelodyPlayer;
class PhoneLink;
class QLineEdit;
class QPoint;
class QPushButton;

class MelodyComposer : public QObject {
    Q_OBJECT
public:
    // Wires the composer's controls of `page`, which outlives this.
    MelodyComposer(MelodiesPage &page, PhoneLink &link, MelodyPlayer &bleeper);

    void keyStruck(int key); // every key of the keyboard, by its place in PianoKeyboard::Keys
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

    // The context menu of a tune box or the compose line: the line edit's
    // own entries, then "Save as RTTTL…" and "Save as eMelody…".
    void melodyMenu(QLineEdit *box, const QPoint &pos);
    enum class SaveFormat { Rtttl, EMelody };
    void saveMelody(QLineEdit *box, SaveFormat format);

    // Whether a Play button's tune is playing.
    bool tunePlaying() const { return m_playing != nullptr; }
    // A phone button (or a save) pressed while a Play button's tune plays: the tune
    // stops, and `action` runs once its Play button has let go of the page.
    // With no such tune it runs at once.
    void stopTuneThen(std::function<void()> action);

private:
    void playTune(const QByteArray &text);
    void showError(const QString &name, const QString &text);

    MelodiesPage &m_page;
    PhoneLink &m_link;
    MelodyPlayer &m_bleeper;
    QPushButton *m_playing = nullptr;
    // What PlayFile and PlayCustom play, made by MoveTune 9 and 10.
    QByteArray m_playText;
    // Presses that stopped the tune, in the order they came.
    QList<std::function<void()>> m_afterTune;
};
