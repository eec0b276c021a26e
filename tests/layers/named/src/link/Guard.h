// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A link header that knows a page id by its window name, with no include.
namespace Tab { enum Page : int; }
inline int lockedPage() { return Tab::Sms; }
