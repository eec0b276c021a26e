// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/melodies/PianoKey.h"

#include <QMouseEvent>
#include <QPainter>

#include "core/melodies/ComposeText.h"
#include "gui/common/Palette.h"

namespace {

// Whether a semitone is a black key, and the white key left of it.
constexpr bool IsBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
constexpr int WhitePosition[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};

constexpr int WhiteWidth = 23;
constexpr int BlackWidth = 13;
constexpr int BlackHeight = 32;

} // namespace

const std::array<PianoKeyboard::KeyInfo, PianoKeyboard::KeyCount> PianoKeyboard::Keys{{
    {"cnote", 0, 5},   {"csharp", 1, 5},   {"dnote", 2, 5},    {"dsharp", 3, 5},  {"enote", 4, 5},
    {"fnote", 5, 5},   {"fsharp", 6, 5},   {"gnote", 7, 5},    {"gsharp", 8, 5},  {"anote", 9, 5},
    {"asharp", 10, 5}, {"bnote", 11, 5},   {"hcnote", 0, 6},   {"hcsharp", 1, 6}, {"hdnote", 2, 6},
    {"hdsharp", 3, 6}, {"henote", 4, 6},   {"hfnote", 5, 6},   {"hfsharp", 6, 6}, {"hgnote", 7, 6},
    {"hgsharp", 8, 6}, {"hanote", 9, 6},   {"hasharp", 10, 6}, {"hbnote", 11, 6},
}};

// ---------------------------------------------------------------- one key

PianoKey::PianoKey(bool black, QWidget *parent) : QAbstractButton(parent), m_black(black)
{
    setFocusPolicy(Qt::NoFocus);
    setLit(false);
    if (black)
        connect(this, &QAbstractButton::clicked, this, &PianoKey::struck);
    else
        connect(this, &QAbstractButton::pressed, this, &PianoKey::struck);
}

void PianoKey::setLit(bool lit)
{
    Palette::paint(this, lit ? Palette::Lime : (m_black ? QColor(Qt::black) : QColor(Qt::white)));
    repaint();
}

void PianoKey::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Palette::painted(this));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PianoKey::mousePressEvent(QMouseEvent *event)
{
    // A white key sounds for any button; the base class knows only the left.
    if (!m_black && event->button() != Qt::LeftButton) {
        event->accept();
        emit struck();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

// ---------------------------------------------------------------- keyboard

PianoKeyboard::PianoKeyboard(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("keyboard"));
    setFrameShape(QFrame::NoFrame);
    // White keys first, so the black ones lie over them.
    for (const bool black : {false, true}) {
        for (int k = 0; k < KeyCount; ++k) {
            const KeyInfo &info = Keys[size_t(k)];
            if (IsBlack[info.index] != black)
                continue;
            auto *key = new PianoKey(black, this);
            key->setObjectName(QString::fromLatin1(info.name));
            const int whiteX = (WhitePosition[info.index] + 7 * (info.octave - 5)) * WhiteWidth;
            if (black)
                key->setGeometry(whiteX + WhiteWidth - BlackWidth / 2, 0, BlackWidth, BlackHeight);
            else
                key->setGeometry(whiteX, 0, WhiteWidth + 1, Height);
            connect(key, &PianoKey::struck, this, [this, k] { emit struck(k); });
            m_keys[size_t(k)] = key;
        }
    }
}

PianoKey *PianoKeyboard::key(int index, int octave) const
{
    if (index < 0 || index >= 12 || (octave != 5 && octave != 6))
        return nullptr;
    return m_keys[size_t(12 * (octave - 5) + index)];
}

void PianoKeyboard::showLit(int index, int octave, bool lit)
{
    if (PianoKey *k = key(index, octave))
        k->setLit(lit);
}

void PianoKeyboard::showHints(bool longNotes)
{
    for (int k = 0; k < KeyCount; ++k) {
        const KeyInfo &info = Keys[size_t(k)];
        m_keys[size_t(k)]->setToolTip(QString::fromLatin1(ComposeText::keyText(info.index, info.octave, longNotes)));
    }
}
