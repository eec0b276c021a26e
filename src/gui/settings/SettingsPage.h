// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Settings tab (Panel4): the settings tree and the stack of settings panels.
#include <QHash>
#include <QStringList>
#include <QWidget>

#include "gui/settings/SettingsTree.h"

class QTreeWidget;
class QTreeWidgetItem;
class QStackedWidget;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    // Builds the tree from the table, in its order. The panels are built
    // when the page is first shown, or before, when one is first asked for.
    explicit SettingsPage(const QList<SettingsNode> &nodes, QWidget *parent = nullptr);

private:
    QTreeWidget *Tree;
    QStackedWidget *panels;

public:
    // Node texts in tree order, parents before their children.
    QStringList nodeTexts() const { return m_nodeTexts; }

    void TreeChange();
    // Brings a settings panel to the front; the tree selection is left alone.
    void showPanel(QWidget *panel);
    // The same by objectName ("PanelClock"); false when there is no such panel.
    bool showPanel(const QString &objectName);
    QWidget *currentPanel();
    // The settings panel with this objectName; nullptr when there is none.
    QWidget *panel(const QString &objectName);
    // Selects the node with this text, which brings its panel to the front.
    bool selectNode(const QString &text);
    // The panel a node brings to the front; nullptr for "Call Forward".
    QWidget *panelForNode(const QString &text);

signals:
    // Every panel exists from now on.
    void panelsBuilt();

private:
    QTreeWidgetItem *findNode(const QString &text) const;
    // Each node's panel into the stack, once; the selected node's in front.
    void buildPanels();

    QStringList m_nodeTexts;
    // Until buildPanels: the nodes with their factories; after it, empty.
    QList<SettingsNode> m_unbuilt;
    QHash<QString, QWidget *> m_nodePanels;
};
