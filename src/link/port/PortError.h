// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a failing port operation raises, with the words the user sees.
#include <QString>
#include <optional>
#include <stdexcept>

#include "core/port/PortAdvice.h"

enum class ComErrorCode {
    Open,           // "Unable to open com port"
    Write,          // "WriteFile function failed"
    Read,           // "ReadFile function failed"
    Purge,          // "PurgeComm function failed"
    SetState,       // "SetCommState function failed"
    SetTimeouts,    // "SetCommTimeouts failed"
    Setup,          // "SetupComm function failed"
    ClearCommError, // "ClearCommError function failed"
    Escape,         // "EscapeCommFunction function failed"
    TransmitChar,   // "TransmitCommChar function failed"
    EnumPorts,      // "EnumPorts function failed"
};

// Raised by every port operation whose system call fails. what() is the
// message the user sees: the text for the code and " (win error code: N)"
// with N = errno.
class PortError : public std::runtime_error {
public:
    PortError(ComErrorCode code, int systemError, QString device = {});
    ComErrorCode code() const { return m_code; }
    int systemError() const { return m_errno; }
    QString device() const { return m_device; }
    QString message() const { return QString::fromUtf8(what()); }
    // The device and the reason in words, e.g.
    // "/dev/ttyUSB0: permission denied: add your user to the dialout group".
    QString reason() const;
    // The system's own words for the error ("Input/output error").
    QString systemReason() const;
    // What to check when a port fails under an operation.
    QString hint() const;
    static QString codeText(ComErrorCode code);

    // Another program holds the device.
    bool busy() const;
    // Who holds it, found when the open failed; reason() then names them
    // and says what to do.
    void setHolders(PortAdvice::Diagnosis holders) { m_holders = std::move(holders); }
    const std::optional<PortAdvice::Diagnosis> &holders() const { return m_holders; }

private:
    ComErrorCode m_code;
    int m_errno;
    QString m_device;
    std::optional<PortAdvice::Diagnosis> m_holders;
};
