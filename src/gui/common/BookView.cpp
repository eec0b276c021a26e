// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/BookView.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

#include "gui/common/Palette.h"

QTableView *BookView::make(const QString &objectName, QAbstractItemModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(objectName);
    view->setModel(model);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(18);
    // The style's minimum would widen the 24-pixel number column.
    view->horizontalHeader()->setMinimumSectionSize(1);
    view->setColumnWidth(0, 24);
    view->setColumnWidth(1, 108);
    view->setColumnWidth(2, 158);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    Palette::paint(view, Palette::Silver);
    view->setCurrentIndex(model->index(1, 1));
    return view;
}

QWidget *LiveEditDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        const int row = index.row(), col = index.column();
        connect(line, &QLineEdit::textEdited, this,
                [this, row, col](const QString &text) { emit textEdited(col, row, text); });
    }
    return editor;
}
