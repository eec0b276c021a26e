// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Parts of a page that nobody sees at start (a file dialog costs as much to
// build as a page, the settings panels more) are built when the page is first
// shown, so the window comes up sooner and whatever brings the page to the
// front finds them there.
#include <QWidget>
#include <functional>

namespace FirstShow {

// Runs `build` once, when `widget` is shown for the first time or at
// buildNow(widget), whichever comes first.
void whenShown(QWidget *widget, std::function<void()> build);
// Runs what waits for `widget` to be shown now, shown or not: a page brought
// to the front of a window that is hidden gets no show event.
void buildNow(QWidget *widget);

} // namespace FirstShow
