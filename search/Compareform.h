#pragma once

// The small list of open pages to compare the active page with: the arrow keys
// choose, Enter takes the choice, Esc cancels.

#include <QDialog>
#include <QStringList>

class QListWidget;

class TCompareForm : public QDialog {
    Q_OBJECT
public:
    TCompareForm(QWidget* owner, const QStringList& pages);

    // The row chosen (the first at the start), -1 when the list is empty.
    int chosen() const;

    QListWidget* PageList = nullptr;
};
