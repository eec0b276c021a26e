// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The melody player: plays a melody text note by note through the tone
// generator and tells the keyboard which key sounds.
#include <QByteArray>
#include <QObject>

#include "link/sound/ToneGenerator.h"

class MelodyPlayer : public QObject {
    Q_OBJECT
public:
    explicit MelodyPlayer(ToneGenerator &bleep, QObject *parent = nullptr);

    // Returns when the text is done or the stop flag ends it after a step.
    // Window messages are handled after every step, so a key may play its
    // own note (a nested call) and the Stop buttons stay live.
    void PlayTune(const QByteArray &text);

    // Set by the Stop buttons, cleared by the Play buttons; only read here.
    bool TuneStopRequested() const { return m_stopRequested; }
    void setTuneStopRequested(bool stop) { m_stopRequested = stop; }

signals:
    // Before a note sounds (lit) and right after it (unlit); a slot repaints
    // the key at once, since no messages are handled while a note sounds.
    void keyLit(int index, int octave, bool lit);

private:
    ToneGenerator &m_bleep;
    bool m_stopRequested = false;
};
