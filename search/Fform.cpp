#include "search/Fform.h"

#include "search/FieldColour.h"
#include "search/PatternField.h"
#include "search/PatternText.h"
#include "search/RadioGroup.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace {

// Distances kept to the right edge when the dialog is widened or narrowed.
constexpr int FieldLeft = 61;
constexpr int FieldRightMargin = 26;
constexpr int ButtonWidth = 75;
// A 64 KiB pattern fits in either field, as spaced hex (three characters a byte) or
// as text; the text field also holds whatever the hex field can stand for.
constexpr int MaxHexChars = 3 * 65536;
constexpr int MaxTextChars = MaxHexChars / 2;

QIcon MagnifierIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(QColor(200, 225, 255));
    painter.drawEllipse(QRectF(2, 2, 8, 8));
    painter.setPen(QPen(QColor(40, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    return QIcon(pixmap);
}

} // namespace

using search::PatternField;

TFindForm::~TFindForm() = default;

TFindForm::TFindForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Find String");
    setFont(QFont("Tahoma", 8));

    // Children are made in tab order.
    HexEdit = new PatternField(this);
    TextEdit = new PatternField(this);
    // An edit past a limit leaves the text as it was; the line below the fields says why.
    HexEdit->setLimit(MaxHexChars, [this] {
        showLimitNote(QStringLiteral("The Hex field takes at most %1 characters; that input was not taken.").arg(MaxHexChars));
    });
    TextEdit->setLimit(MaxTextChars, [this] {
        showLimitNote(QStringLiteral("The Text field takes at most %1 characters; that input was not taken.").arg(MaxTextChars));
    });
    SearchBtn = new QPushButton(MagnifierIcon(), "Search", this);
    CancelBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    StartPositionRG = new search::RadioGroup("Start Position", {"from top", "from current position"}, this);
    StartPositionRG->setItemIndex(0);
    Label1 = new QLabel("Hex", this);
    Label2 = new QLabel("Text", this);
    // The labels name the fields for screen readers.
    for (auto [label, field] : {std::pair{Label1, HexEdit}, std::pair{Label2, TextEdit}}) {
        label->setBuddy(field);
        field->setAccessibleName(label->text());
    }
    LimitNote = new QLabel(this);
    LimitNote->setTextFormat(Qt::PlainText);
    LimitNote->hide();

    // Neither button is a default: Enter in a field must not close the dialog.
    for (QPushButton* button : {SearchBtn, CancelBtn}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    Label1->move(16, 24);
    Label2->move(16, 60);
    HexEdit->setGeometry(FieldLeft, 21, 387, 21);
    TextEdit->setGeometry(FieldLeft, 57, 387, 21);
    LimitNote->setGeometry(FieldLeft, 79, 387, 16);
    SearchBtn->setGeometry(373, 100, ButtonWidth, 25);
    CancelBtn->setGeometry(373, 140, ButtonWidth, 25);
    // Made wider only where the face that replaces Tahoma needs it.
    StartPositionRG->setGeometry(FieldLeft, 96, std::max(145, StartPositionRG->sizeHint().width()), 73);

    // Only the width can change.
    resize(474, 186);
    setMinimumSize(300, 186);
    setMaximumHeight(186);

    // Long patterns stay quick to draw: their characters need no shaping.
    for (PatternField* field : {HexEdit, TextEdit}) {
        QFont quick = field->font();
        quick.setStyleStrategy(QFont::PreferNoShaping);
        field->setFont(quick);
    }
    search::SetTextColour(HexEdit, WindowTextColour());
    search::SetTextColour(TextEdit, WindowTextColour());

    connect(HexEdit, &PatternField::textChanged, this, &TFindForm::HexStringChange);
    connect(TextEdit, &PatternField::textChanged, this, &TFindForm::TextChanged);
    // The dialog opens in the field last typed in; an edit that was taken clears the note.
    for (PatternField* field : {HexEdit, TextEdit})
        connect(field, &PatternField::textEdited, this, [this, field] {
            lastTyped = field;
            LimitNote->hide();
        });
    connect(SearchBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QColor TFindForm::WindowTextColour() { return QApplication::palette("QLineEdit").color(QPalette::Text); }

void TFindForm::showValidity(bool valid)
{
    const QColor colour = valid ? WindowTextColour() : RejectedColour();
    search::SetTextColour(HexEdit, colour);
    search::SetTextColour(TextEdit, colour);
    SearchBtn->setEnabled(valid);
}

void TFindForm::HexStringChange()
{
    if (UpdatingHex)
        return;
    UpdatingText = true;
    const search::HexFollow follow = search::FollowHexText(HexEdit->text());
    showValidity(follow.valid);
    TextEdit->setText(follow.text);
    UpdatingText = false;
}

void TFindForm::TextChanged()
{
    if (UpdatingText)
        return;
    UpdatingHex = true;
    const search::TextFollow follow = search::FollowText(TextEdit->text());
    HexEdit->setText(follow.hex);
    // The hex written here is always a pattern, unless the text holds a character
    // that is no byte; either way the fields and Search tell it at once.
    showValidity(follow.valid);
    UpdatingHex = false;
}

void TFindForm::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button is pressed by Enter, as on every desktop; a field takes none.
        if (focusWidget() == SearchBtn || focusWidget() == CancelBtn) {
            static_cast<QPushButton*>(focusWidget())->click();
            event->accept();
            return;
        }
        [[fallthrough]];
    case Qt::Key_Escape:
        event->accept(); // only the buttons and the close box leave this dialog
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TFindForm::showLimitNote(const QString& text)
{
    LimitNote->setText(text);
    LimitNote->show();
}

void TFindForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    PatternField* field = lastTyped ? lastTyped : HexEdit;
    field->setFocus();
    field->selectAll();
}

void TFindForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int fieldWidth = width() - FieldLeft - FieldRightMargin;
    HexEdit->resize(fieldWidth, HexEdit->height());
    TextEdit->resize(fieldWidth, TextEdit->height());
    LimitNote->resize(fieldWidth, LimitNote->height());
    const int buttonLeft = width() - FieldRightMargin - ButtonWidth;
    SearchBtn->move(buttonLeft, SearchBtn->y());
    CancelBtn->move(buttonLeft, CancelBtn->y());
}
