// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the phone-settings panels share: the flag that keeps a value read
// from the phone from being written back, the teal mark while a control is
// read, the status-label flash, the default button of an edit box, and a
// radio group with an item index.
#include <QGroupBox>
#include <QStyle>
#include <QStringList>
#include <functional>
#include <optional>

#include "gui/common/Buttons.h"


class PhoneLink;
class QButtonGroup;
class QLabel;
class QPushButton;
class QWidget;

namespace SettingsPattern {

// Set while a read shows its value in a control: the controls' change
// handlers then send nothing. One flag for every settings panel.
bool refreshing();

// Sets the flag for its lifetime and puts back what it was, so a page read
// that holds it across several reads keeps it to its end.
class Refreshing {
public:
    Refreshing();
    ~Refreshing();
    Refreshing(const Refreshing &) = delete;
    Refreshing &operator=(const Refreshing &) = delete;

private:
    bool m_was;
};

// Teal, repainted at once, while the control's value is read.
void markReading(QWidget *w);
// The resting colour after a read: silver for edit and combo boxes, the
// button face for check boxes and radio groups.
void restoreColour(QWidget *w);

// "OK" in lime or "Error" in red for ms milliseconds, during which the
// window takes no input; then the label's own caption and colour again.
void flashStatus(PhoneLink &link, QLabel *label, bool ok, int ms);

// While `edit` has the keyboard focus, `button` is the default button and
// Enter presses it; leaving the box takes the default back.
void defaultWhileFocused(QWidget *edit, QPushButton *button);

// The buttons every page makes alike, and a status label on the button
// face, where flashStatus shows "OK" and "Error".
using Buttons::iconButton;
using Buttons::panelButton;
using Buttons::readButton;
QLabel *statusLabel(QWidget *parent, const char *name, const QString &caption, int minimumWidth);
// A plain caption with its objectName.
QLabel *label(QWidget *parent, const char *name, const QString &caption);

// A panel's whole read from its button: one operation (locking the tab bar
// on lockPage when given), the button off while `steps` run, the port closed
// after them however they end.
void readPanel(PhoneLink &link, QPushButton *button, std::optional<int> lockPage, const std::function<void()> &steps);
// A control's change written to the phone and read back: nothing while a
// read is showing its value, else one operation whose port is closed after
// `steps` however they end.
void writeChange(PhoneLink &link, const std::function<void()> &steps);

} // namespace SettingsPattern

// A titled group of radio items with an item index, -1 for none. Every
// change of the index, by a click or by setItemIndex, is told by
// itemIndexChanged (clearing the selection is not).
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString &name, const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    QStringList items() const { return m_items; }

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup *m_group;
    QStringList m_items;
};
