#pragma once

// The copy dialog: a range of the page's bytes, its start in hex and its count in
// decimal, and the format of the text the copy puts on the clipboard. One instance per
// main window, made at its first use, keeps its format for the run.

#include "output/CopyText.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <cstdint>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace output {

class TCopyForm : public QDialog {
    Q_OBJECT
public:
    explicit TCopyForm(QWidget* parent = nullptr);
    ~TCopyForm() override;

    QPushButton* BitBtn1; // OK, the default button
    QLineEdit* StartEdit;
    QPushButton* BitBtn2; // Cancel (Esc)
    QLineEdit* CountEdit;
    QGroupBox* FormatRG;
    std::array<QRadioButton*, CopyFormatCount> FormatItems{};
    QLabel* StartLabel;
    QLabel* CountLabel;
    QLabel* AmountLabel; // how many bytes the copy takes

    // The file the range lies in; set before each showing.
    int64_t FileSize = 0;

    // Fills the fields for a new showing: the start and the count given, the format kept.
    void Prepare(int64_t fileSize, int64_t start, int64_t count);

    void StartEditChange();
    void CountEditChange();

    // What OK takes: the start, the count cut at the end of the file (0 when the
    // fields cannot be taken), and the format.
    int64_t Start() const;
    int64_t Count() const;
    CopyFormat Format() const;
    void setFormat(CopyFormat format);

    static QColor AcceptedColour() { return QColor(0, 0, 0); }
    static QColor RejectedColour() { return QColor(255, 0, 0); }

protected:
    // The start field takes the keyboard with its text selected.
    void showEvent(QShowEvent* event) override;

private:
    void judge();
    QButtonGroup* formats;
};

} // namespace output
