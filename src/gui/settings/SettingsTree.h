// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings tree as one table: each node's text, its parent node and the
// panel it brings to the front. The settings page builds the tree and the
// panel stack from it, so a new panel is one more row here.
#include <QList>
#include <QString>
#include <functional>

class QWidget;
class PhoneLink;
class PersonalRings;

// Makes a node's panel; the settings page takes ownership of it.
using PanelFactory = std::function<QWidget *()>;

struct SettingsNode {
    QString text;
    QString parent;     // empty for a top-level node; otherwise an earlier node's text
    PanelFactory panel; // empty for a node that only groups others
};

// What the main window shares with the settings panels. A panel that needs the
// phone or the program's state gets it from here through its factory. GSM Info
// and Mirvak are made of widgets the main window owns and wires to other pages,
// so it hands in their factories.
struct SettingsContext {
    PhoneLink &link;
    PanelFactory gsmInfo;
    PanelFactory mirvak;
    // The phone's ring codes, shared by the personal-ring panel and the
    // melody page's ring-type box.
    PersonalRings &personalRings;
};

QList<SettingsNode> settingsTree(const SettingsContext &context);
