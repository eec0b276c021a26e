// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Line faults a real cable shows and the other faults do not: noise in front
// of an answer, and a device that goes away in the middle of one.
#include "CommandFault.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

struct NoiseFaults {
    QList<CommandFault> garbage; // noise bytes, then the answer as usual
    QList<CommandFault> cut;     // half the answer, then the device vanishes

    // std::nullopt when `kind` is none of ours; else what is wrong with the
    // option, empty when it was taken.
    std::optional<QString> add(const QString &kind, const QString &arg, bool hasArg);
    bool garbles(const QString &upperRest) const;
    bool cuts(const QString &upperRest) const;

    // Bytes a noisy line could bring: controls, 8-bit bytes, a frame start,
    // line ends and text that is not a result code.
    static QByteArray noise();
    // The part of an answer sent before the device vanishes: at least one
    // byte, never the whole of it.
    static QByteArray firstHalf(const QByteArray &answer);
};
