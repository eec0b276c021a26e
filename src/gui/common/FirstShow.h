// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Parts of a page that nobody sees at start (a file dialog costs as much to
// build as a page) are built when the page is first shown, so the window
// comes up sooner and whatever clicks the page's tab finds them there.
#include <QWidget>
#include <functional>

namespace FirstShow {

// Runs `build` once, when `widget` is shown for the first time.
void whenShown(QWidget *widget, std::function<void()> build);

} // namespace FirstShow
