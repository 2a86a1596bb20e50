#pragma once

// The find dialog: the pattern as hex or as text, each field following the
// other, and where the search starts. One instance, search::FindForm(), made at its
// first use, lives for the run.

#include <QColor>
#include <QDialog>

class QLabel;
namespace search {
class PatternField;
}
class QPushButton;

namespace search {
class RadioGroup;
}

class TFindForm : public QDialog {
    Q_OBJECT
public:
    explicit TFindForm(QWidget* parent = nullptr);
    ~TFindForm() override;

    QLabel* Label1;
    QLabel* Label2;
    search::PatternField* HexEdit;
    search::PatternField* TextEdit;
    QPushButton* SearchBtn;
    QPushButton* CancelBtn;
    // Says why an input past a field's limit was not taken; hidden otherwise.
    QLabel* LimitNote;
    // Item 0 "from top", item 1 "from current position".
    search::RadioGroup* StartPositionRG;

    // Set while one handler rewrites the other field, whose handler must then do nothing.
    bool UpdatingText = false;
    bool UpdatingHex = false;

    void HexStringChange();
    void TextChanged();

    // The colour of the fields' text while they hold a pattern.
    static QColor WindowTextColour();
    static QColor RejectedColour() { return QColor(255, 0, 0); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Opens with the field last typed in (the hex field at first) ready to type over.
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showValidity(bool valid);
    void showLimitNote(const QString& text);

    search::PatternField* lastTyped = nullptr;
};

