#include "search/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace search {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group->addButton(button, i);
        layout->addWidget(button);
    }
}

int RadioGroup::itemIndex() const { return group->checkedId(); }

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton* button = group->button(index))
        button->setChecked(true);
}

QRadioButton* RadioGroup::item(int index) const { return static_cast<QRadioButton*>(group->button(index)); }

} // namespace search
