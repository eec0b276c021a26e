// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A core header that reaches up into a page.
#include "gui/sms/Page.h"
