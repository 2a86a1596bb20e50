#include "search/Gotoform.h"

#include "search/GotoAddress.h"
#include "search/FieldColour.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

TGTForm::~TGTForm() = default;

TGTForm::TGTForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Goto Address");
    setFont(QFont("Tahoma", 8));

    // Children are made in tab order.
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    HexEdit = new QLineEdit(this);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    DecEdit = new QLineEdit(this);
    Label1 = new QLabel("Hex", this);
    Label2 = new QLabel("Dec", this);
    // A screen reader names each field by its label.
    Label1->setBuddy(HexEdit);
    Label2->setBuddy(DecEdit);
    BitBtn1->setDefault(true);

    BitBtn1->setGeometry(220, 24, 75, 25);
    HexEdit->setGeometry(44, 26, 149, 21);
    BitBtn2->setGeometry(220, 61, 75, 25);
    DecEdit->setGeometry(44, 63, 149, 21);
    Label1->move(4, 28);
    Label2->move(4, 65);
    setFixedSize(320, 113);

    showAcceptable(true);

    connect(HexEdit, &QLineEdit::textChanged, this, &TGTForm::HexEditChange);
    connect(DecEdit, &QLineEdit::textChanged, this, &TGTForm::DecEditChange);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TGTForm::showAcceptable(bool acceptable)
{
    BitBtn1->setEnabled(acceptable);
    const QColor colour = BitBtn1->isEnabled() ? AcceptedColour() : RejectedColour();
    search::SetTextColour(HexEdit, colour);
    search::SetTextColour(DecEdit, colour);
}

void TGTForm::HexEditChange()
{
    if (UpdatingHex)
        return;
    UpdatingDec = true;
    const search::AddressFollow follow = search::FollowHexAddress(HexEdit->text(), MaxAddress);
    showAcceptable(follow.acceptable);
    DecEdit->setText(follow.other);
    UpdatingDec = false;
}

void TGTForm::DecEditChange()
{
    if (UpdatingDec)
        return;
    UpdatingHex = true;
    const search::AddressFollow follow = search::FollowDecAddress(DecEdit->text(), MaxAddress);
    showAcceptable(follow.acceptable);
    HexEdit->setText(follow.other);
    UpdatingHex = false;
}

int64_t TGTForm::Address() const { return search::ParseHexAddress(HexEdit->text()); }

void TGTForm::showEvent(QShowEvent* event)
{
    showAcceptable(search::KeptAddressAcceptable(HexEdit->text(), DecEdit->text(), MaxAddress));
    QDialog::showEvent(event);
    // Ready to type: an address and Enter go there.
    HexEdit->setFocus();
    HexEdit->selectAll();
}
