#include "search/Compareform.h"

#include <QListWidget>
#include <QVBoxLayout>

TCompareForm::TCompareForm(QWidget* owner, const QStringList& pages) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Compare With"));
    auto* layout = new QVBoxLayout(this);
    PageList = new QListWidget(this);
    PageList->addItems(pages);
    PageList->setAccessibleName("Open files");
    PageList->setCurrentRow(0);
    // Wide enough for a name and a usual folder; a longer one shows in the item's tooltip.
    PageList->setMinimumWidth(360);
    for (int i = 0; i < PageList->count(); ++i)
        PageList->item(i)->setToolTip(pages[i]);
    layout->addWidget(PageList);
    connect(PageList, &QListWidget::itemActivated, this, &QDialog::accept);
}

int TCompareForm::chosen() const { return PageList->currentRow(); }
