// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The on-screen keyboard of the Melodies page: two octaves of keys, each
// one the note it adds to the compose line, lit while its note sounds.
#include <QAbstractButton>
#include <QFrame>
#include <array>

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

// The panel `keyboard`: 14 white keys, C to B in octaves 5 and 6, with the
// 10 black keys lying over them.
class PianoKeyboard : public QFrame {
    Q_OBJECT
public:
    static constexpr int KeyCount = 24;
    static constexpr int Width = 14 * 23 + 1;
    static constexpr int Height = 52;

    // The key table, octave 5 C..B first, then octave 6, by semitone index.
    struct KeyInfo {
        const char *name;
        int index; // 0 (C) .. 11 (B)
        int octave;
    };
    static const std::array<KeyInfo, KeyCount> Keys;

    explicit PianoKeyboard(QWidget *parent);

    // The key for a semitone index 0..11 and octave 5 or 6, or none.
    PianoKey *key(int index, int octave) const;
    void showLit(int index, int octave, bool lit);
    // Every key's hint is the text it adds, short notes or long ones.
    void showHints(bool longNotes);

signals:
    // A key went down; its position in Keys.
    void struck(int key);

private:
    std::array<PianoKey *, KeyCount> m_keys{};
};
