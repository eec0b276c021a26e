// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The look every phonebook grid shares, over a BookTableModel: hidden
// headers (row 0 and column 0 of the table are the headers), rows 18 pixels
// high, columns 24, 108 and 158 pixels wide, silver, one cell selected at a
// time, the first entry's number current.
#include <QStyledItemDelegate>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace BookView {
QTableView *make(const QString &objectName, QAbstractItemModel *model, QWidget *parent = nullptr);
}

// Reports every keystroke in a cell editor, so what depends on a cell (a
// length counter, a recipient item) follows the typing, not only the commit.
class LiveEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

signals:
    void textEdited(int column, int row, const QString &text) const;
};
