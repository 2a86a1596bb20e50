#pragma once

// A captioned group of radio buttons with one selected item, by index.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace search {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* item(int index) const;

private:
    QButtonGroup* group;
};

} // namespace search
