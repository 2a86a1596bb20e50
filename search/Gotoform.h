#pragma once

// The goto dialog: an address typed in hex or in decimal, each field following
// the other. One instance, search::GTForm(), made at its first use, lives for the run.

#include <QColor>
#include <QDialog>

#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

class TGTForm : public QDialog {
    Q_OBJECT
public:
    explicit TGTForm(QWidget* parent = nullptr);
    ~TGTForm() override;

    QPushButton* BitBtn1; // OK, the default button
    QLineEdit* HexEdit;
    QPushButton* BitBtn2; // Cancel (Esc)
    QLineEdit* DecEdit;
    QLabel* Label1;
    QLabel* Label2;

    // The largest address accepted; the Goto command sets it before each showing.
    int64_t MaxAddress = 0;
    // Set while one handler rewrites the other field, whose handler must then do nothing.
    bool UpdatingDec = false;
    bool UpdatingHex = false;

    void HexEditChange();
    void DecEditChange();

    // The address the command goes to: the hex field's value, -1 when rejected.
    int64_t Address() const;

    static QColor AcceptedColour() { return QColor(0, 0, 0); }
    static QColor RejectedColour() { return QColor(255, 0, 0); }

protected:
    // The kept texts are judged again against the MaxAddress of this showing, and the
    // hex field takes the keyboard with its text selected.
    void showEvent(QShowEvent* event) override;

private:
    void showAcceptable(bool acceptable);
};

