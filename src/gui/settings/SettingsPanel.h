// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Common ground of the panels the settings tree brings to the front.
#include <QWidget>

class QLabel;
class QVBoxLayout;

class SettingsPanel : public QWidget {
    Q_OBJECT
public:
    // name is the panel's established objectName: the tree, the main window and
    // the tests find the panel by it. A non-empty title heads the panel as a bold
    // caption named name + "Caption".
    SettingsPanel(const QString &name, const QString &title, QWidget *parent = nullptr);

    QLabel *caption() const { return m_caption; }

protected:
    // Content goes below the caption and above the stretch that keeps the panel
    // top-aligned in the stack, whatever the stack's height.
    void addContent(QWidget *widget);
    QVBoxLayout *panelLayout() const { return m_layout; }

private:
    QVBoxLayout *m_layout;
    QLabel *m_caption = nullptr;
};
