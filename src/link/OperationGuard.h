// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One phone operation at a time, and the tab bar locked while it runs.
#include <optional>

class PhoneLink;

// Refuses to start while another operation runs; locks the page `lockPage`
// (an id the window gives its pages) when the operation's steps set the page lock, and undoes both
// however the operation ends. An abort the user asks for while it runs holds
// until it ends: every exchange after it is refused. AbortRequested itself
// outlives the operation for its caller to see; the next exchange clears it.
class OperationGuard {
public:
    OperationGuard(PhoneLink &link, std::optional<int> lockPage);
    ~OperationGuard();
    OperationGuard(const OperationGuard &) = delete;
    OperationGuard &operator=(const OperationGuard &) = delete;

    // False when another operation runs: do nothing.
    bool started() const { return m_started; }
    explicit operator bool() const { return m_started; }

private:
    PhoneLink &m_link;
    bool m_started = false;
    bool m_locked = false;
};
