#include "output/CopyForm.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace output {

namespace {

void SetTextColour(QWidget* edit, const QColor& colour)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, colour);
    edit->setPalette(palette);
}

const char* const FormatCaptions[CopyFormatCount] = {"Hex pairs", "C array", "Text", "Base64"};

} // namespace

TCopyForm::~TCopyForm() = default;

TCopyForm::TCopyForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Copy Bytes");
    setFont(QFont("Tahoma", 8));

    // Children are made in tab order, as in the goto dialog.
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    StartEdit = new QLineEdit(this);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    CountEdit = new QLineEdit(this);
    FormatRG = new QGroupBox("Format", this);
    formats = new QButtonGroup(this);
    for (int i = 0; i < CopyFormatCount; ++i) {
        FormatItems[static_cast<size_t>(i)] = new QRadioButton(QString::fromLatin1(FormatCaptions[i]), FormatRG);
        formats->addButton(FormatItems[static_cast<size_t>(i)], i);
    }
    StartLabel = new QLabel("Start", this);
    CountLabel = new QLabel("Count", this);
    AmountLabel = new QLabel(this);
    StartLabel->setBuddy(StartEdit);
    CountLabel->setBuddy(CountEdit);
    BitBtn1->setDefault(true);
    FormatItems[0]->setChecked(true);

    BitBtn1->setGeometry(220, 24, 75, 25);
    StartEdit->setGeometry(44, 26, 149, 21);
    BitBtn2->setGeometry(220, 61, 75, 25);
    CountEdit->setGeometry(44, 63, 149, 21);
    StartLabel->move(4, 28);
    CountLabel->move(4, 65);
    AmountLabel->setGeometry(44, 90, 270, 16);
    FormatRG->setGeometry(4, 112, 312, 66);
    for (int i = 0; i < CopyFormatCount; ++i)
        FormatItems[static_cast<size_t>(i)]->move(12 + (i % 2) * 150, 18 + (i / 2) * 22);
    setFixedSize(320, 188);

    connect(StartEdit, &QLineEdit::textChanged, this, &TCopyForm::StartEditChange);
    connect(CountEdit, &QLineEdit::textChanged, this, &TCopyForm::CountEditChange);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    judge();
}

void TCopyForm::Prepare(int64_t fileSize, int64_t start, int64_t count)
{
    FileSize = fileSize;
    StartEdit->setText(AddressClipText(start));
    CountEdit->setText(QString::number(count));
    judge();
}

void TCopyForm::StartEditChange() { judge(); }
void TCopyForm::CountEditChange() { judge(); }

int64_t TCopyForm::Start() const { return ParseHexNumber(StartEdit->text()); }
int64_t TCopyForm::Count() const { return CopiedCount(Start(), ParseDecNumber(CountEdit->text()), FileSize); }
CopyFormat TCopyForm::Format() const { return static_cast<CopyFormat>(formats->checkedId()); }
void TCopyForm::setFormat(CopyFormat format) { FormatItems[static_cast<size_t>(format)]->setChecked(true); }

// Each field turns red on its own when it cannot be taken; OK needs both.
void TCopyForm::judge()
{
    const int64_t start = Start();
    const int64_t asked = ParseDecNumber(CountEdit->text());
    const bool startOk = CopyStartAcceptable(start, FileSize);
    const bool countOk = CopyCountAcceptable(asked);
    SetTextColour(StartEdit, startOk ? AcceptedColour() : RejectedColour());
    SetTextColour(CountEdit, countOk ? AcceptedColour() : RejectedColour());
    BitBtn1->setEnabled(startOk && countOk);
    const int64_t copied = CopiedCount(start, asked, FileSize);
    QString amount;
    if (copied == 0)
        amount = QStringLiteral("Nothing will be copied");
    else
        amount = QStringLiteral("%1 %2 will be copied%3")
                     .arg(copied)
                     .arg(copied == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"))
                     .arg(copied < asked ? QStringLiteral(" (to the end of the file)") : QString());
    AmountLabel->setText(amount);
}

void TCopyForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    StartEdit->setFocus();
    StartEdit->selectAll();
}

} // namespace output
