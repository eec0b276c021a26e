#include "Unit1/phonebooks/BookGrid.h"

#include <QHeaderView>
#include <QTableWidget>

QTableWidget *BookGrid::make(const QString &objectName, int rows)
{
    const QColor fixedGrey(224, 224, 224);
    auto *grid = new QTableWidget(rows, 3);
    grid->setObjectName(objectName);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->setColumnWidth(0, 24);
    grid->setColumnWidth(1, 108);
    grid->setColumnWidth(2, 158);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Base, Silver);
    grid->setPalette(pal);

    QFont bold = grid->font();
    bold.setBold(true);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem;
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setFont(bold);
                item->setBackground(fixedGrey);
            }
            grid->setItem(r, c, item);
        }
    }
    grid->setCurrentCell(1, 1);
    return grid;
}
