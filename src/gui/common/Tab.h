// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main tabs, in their order on the tab bar. A tab's index is the page id
// an operation locks (OperationGuard), so the window can snap back to it.
namespace Tab {
enum Page : int { Sms = 0, Phonebooks = 1, Melodies = 2, Settings = 3, Inbox = 4, Backup = 5, About = 6 };
}
