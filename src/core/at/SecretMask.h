// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SIM's codes kept out of every trace: the fields of AT+CPIN=... (and
// of its echo) come out as "****", whatever their length, however the bytes
// are split into chunks. One mask a direction, fed every chunk in order.
#include <QByteArray>

class SecretMask {
public:
    // The chunk as it may be written down.
    QByteArray feed(const QByteArray &chunk);

private:
    enum class State { Plain, Fields, Quoted, Bare };
    State m_state = State::Plain;
    int m_matched = 0; // characters of "AT+CPIN=" seen so far
};
