// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/phonebooks/BookSide.h"

#include <QTableView>

#include "gui/common/BookTableModel.h"

void BookSide::makeCurrentRow(int row) const
{
    const int column = qMax(int(BookTableModel::NumberColumn), grid->currentIndex().column());
    const QModelIndex cell = table->index(row, column);
    grid->setCurrentIndex(cell);
    grid->scrollTo(cell);
}

const PhonebookEntry *BookSide::currentEntry() const
{
    const int row = grid->currentIndex().row();
    return row >= 1 && row <= book->count() ? &book->entry(row) : nullptr;
}

void BookSide::showRowCount() const
{
    table->setHeaderText(BookTableModel::RowColumn, QString::number(book->count()));
}
