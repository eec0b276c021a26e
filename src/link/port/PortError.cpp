// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/port/PortError.h"

#include <cerrno>
#include <cstring>

namespace {

std::string composeMessage(ComErrorCode code, int err)
{
    return QStringLiteral("%1 (win error code: %2)")
        .arg(PortError::codeText(code))
        .arg(err)
        .toStdString();
}

} // namespace

PortError::PortError(ComErrorCode code, int systemError, QString device)
    : std::runtime_error(composeMessage(code, systemError)),
      m_code(code), m_errno(systemError), m_device(std::move(device))
{
}

QString PortError::codeText(ComErrorCode code)
{
    switch (code) {
    case ComErrorCode::Open: return QStringLiteral("Unable to open com port");
    case ComErrorCode::Write: return QStringLiteral("WriteFile function failed");
    case ComErrorCode::Read: return QStringLiteral("ReadFile function failed");
    case ComErrorCode::Purge: return QStringLiteral("PurgeComm function failed");
    case ComErrorCode::SetState: return QStringLiteral("SetCommState function failed");
    case ComErrorCode::SetTimeouts: return QStringLiteral("SetCommTimeouts failed");
    case ComErrorCode::Setup: return QStringLiteral("SetupComm function failed");
    case ComErrorCode::ClearCommError: return QStringLiteral("ClearCommError function failed");
    case ComErrorCode::Escape: return QStringLiteral("EscapeCommFunction function failed");
    case ComErrorCode::TransmitChar: return QStringLiteral("TransmitCommChar function failed");
    case ComErrorCode::EnumPorts: return QStringLiteral("EnumPorts function failed");
    }
    return QStringLiteral("Com port error");
}

QString PortError::reason() const
{
    QString words;
    switch (m_errno) {
    case EACCES:
    case EPERM:
        words = QStringLiteral("permission denied: add your user to the dialout group");
        break;
    case EBUSY:
    case EWOULDBLOCK:
        words = m_holders ? PortAdvice::busyText(*m_holders) : QStringLiteral("in use by another program");
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        words = QStringLiteral("no such device");
        break;
    default:
        words = QString::fromLocal8Bit(std::strerror(m_errno));
        break;
    }
    return m_device.isEmpty() ? words : m_device + QStringLiteral(": ") + words;
}

bool PortError::busy() const
{
    return m_code == ComErrorCode::Open && (m_errno == EBUSY || m_errno == EWOULDBLOCK);
}

QString PortError::systemReason() const
{
    return QString::fromLocal8Bit(std::strerror(m_errno));
}

QString PortError::hint() const
{
    const QString device = m_device.isEmpty() ? QStringLiteral("the port") : m_device;
    return QStringLiteral("Check that the cable is still plugged in, that no other program uses %1, "
                          "and that your user is in the dialout group.")
        .arg(device);
}
