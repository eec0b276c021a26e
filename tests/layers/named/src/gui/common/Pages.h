// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
namespace Tab {
enum Page : int { Sms = 0 };
}
