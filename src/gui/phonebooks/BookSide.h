// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One of the two books the Phonebooks page moves between its grid, the phone
// and a file: the SIM's or the phone memory's, with everything the page keeps
// of it. A handler asks the page for the side it acts on and works on that;
// no handler chooses between the SIM and the phone pieces itself.
#include <QString>

#include "core/phonebooks/PhonebookAt.h"
#include "core/phonebooks/PhonebookModel.h"

class BookTableModel;
class QAction;
class QMenu;
class QTableView;

struct BookSide {
    PhonebookAt::Book storage = PhonebookAt::Book::Sim;
    // "SIM" or "Phone", as the hints and the write confirmation name the book.
    QString name;
    PhonebookModel *book = nullptr;
    BookTableModel *table = nullptr;
    QTableView *grid = nullptr;
    // What each location held at the last read or load; "Update" writes the
    // rows that differ from it.
    PhonebookEntries *copy = nullptr;
    // The grid's menu; its three items name the row last pressed.
    QMenu *menu = nullptr;
    QAction *copyItem = nullptr;
    QAction *smsItem = nullptr;
    QAction *ringItem = nullptr;
    // What a copy into a full SMS book says (the two sides word it differently).
    QString bookFull;

    // Row `row` current in the grid's current column (the number column at
    // the least) and scrolled to: the progress of a transfer.
    void makeCurrentRow(int row) const;
    // The entry of the grid's current row; none when no data row is current.
    const PhonebookEntry *currentEntry() const;
    // The top-left cell: how many data rows the grid has.
    void showRowCount() const;
};
