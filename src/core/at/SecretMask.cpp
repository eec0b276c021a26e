// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/at/SecretMask.h"

namespace {
constexpr char Command[] = "AT+CPIN=";
constexpr int CommandLength = int(sizeof Command - 1);
constexpr char Hidden[] = "****";

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
} // namespace

QByteArray SecretMask::feed(const QByteArray &chunk)
{
    QByteArray out;
    out.reserve(chunk.size());
    for (const char c : chunk) {
        const bool lineEnd = c == '\r' || c == '\n';
        switch (m_state) {
        case State::Plain:
            out += c;
            if (upper(c) == Command[m_matched])
                ++m_matched;
            else
                m_matched = upper(c) == Command[0] ? 1 : 0;
            if (m_matched == CommandLength) {
                m_matched = 0;
                m_state = State::Fields;
            }
            break;
        case State::Fields:
            if (lineEnd || c == '?') {
                // "AT+CPIN=?" asks, and a line end ends the command.
                out += c;
                m_state = State::Plain;
            } else if (c == '"') {
                out += c;
                m_state = State::Quoted;
            } else if (c == ',' || c == ' ') {
                out += c;
            } else {
                out += Hidden;
                m_state = State::Bare;
            }
            break;
        case State::Quoted:
            if (c == '"') {
                out += Hidden;
                out += c;
                m_state = State::Fields;
            } else if (lineEnd) {
                out += Hidden;
                out += c;
                m_state = State::Plain;
            }
            break;
        case State::Bare:
            if (c == ',') {
                out += c;
                m_state = State::Fields;
            } else if (lineEnd) {
                out += c;
                m_state = State::Plain;
            }
            break;
        }
    }
    return out;
}
