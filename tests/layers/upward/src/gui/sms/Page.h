// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
class Page {};
