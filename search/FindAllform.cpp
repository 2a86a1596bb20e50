#include "search/FindAllform.h"

#include "page/Page_form.h"
#include "search/SearchGate.h"
#include "util/DeferredError.h"
#include "util/Error.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QVBoxLayout>

namespace search {

int HitListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(hits.size());
}

QVariant HitListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || static_cast<size_t>(index.row()) >= hits.size())
        return {};
    const int64_t at = hits[static_cast<size_t>(index.row())];
    if (reader) {
        try {
            QString text = reader->rowText(at);
            failing = false;
            return text;
        } catch (const util::Error& e) {
            // Asked while painting: the box waits for the paint's end, once per failing spell.
            if (!failing)
                util::ShowErrorLater(QString::fromLocal8Bit(e.what()));
            failing = true;
        }
    }
    const page::CellText head = page::AddressText(at);
    return QString::fromLatin1(head.chars.data(), head.length);
}

void HitListModel::setHits(std::vector<int64_t> addresses, const util::File64& file, int64_t patternLength)
{
    beginResetModel();
    hits = std::move(addresses);
    reader = std::make_unique<HitReader>(file, patternLength);
    failing = false;
    endResetModel();
}

void HitListModel::detach() { reader.reset(); }

int64_t HitListModel::reads() const { return reader ? reader->reads() : 0; }

} // namespace search

namespace {

// A window's font is not its owner's; both take the program's faces.
const QFont LabelFont(QStringLiteral("Tahoma"), 8);
const QFont ListFont(QStringLiteral("Courier New"), 9);
constexpr size_t PatternShown = 64; // bytes of the pattern the header spells out

} // namespace

TFindAllForm* TFindAllForm::Of(const QWidget* owner, const TPageForm* page)
{
    for (TFindAllForm* form : owner->findChildren<TFindAllForm*>(Qt::FindDirectChildrenOnly))
        if (form->viewed == page)
            return form;
    return nullptr;
}

TFindAllForm& TFindAllForm::For(QWidget* owner, TPageForm& page)
{
    if (TFindAllForm* form = Of(owner, &page))
        return *form;
    return *new TFindAllForm(owner, page);
}

TFindAllForm::TFindAllForm(QWidget* owner, TPageForm& page) : QWidget(owner, Qt::Window), viewed(&page)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A running search holds this window's input as it holds the main window's.
    setProperty(search::HeldWhileSearching, true);
    setFont(LabelFont);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    TitleLabel = new QLabel(this);
    QFont bold = LabelFont;
    bold.setBold(true);
    TitleLabel->setFont(bold);
    PatternLabel = new QLabel(this);
    StateLabel = new QLabel(this);
    for (QLabel* label : {TitleLabel, PatternLabel, StateLabel}) {
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        layout->addWidget(label);
    }
    HitList = new QListView(this);
    HitList->setFont(ListFont);
    // Rows of one height: the view never measures a million of them.
    HitList->setUniformItemSizes(true);
    HitList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    HitList->setSelectionMode(QAbstractItemView::SingleSelection);
    HitList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Hits = new search::HitListModel(this);
    HitList->setModel(Hits);
    HitList->installEventFilter(this);
    HitList->setAccessibleName(QStringLiteral("Occurrences"));
    layout->addWidget(HitList, 1);
    connect(HitList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { HitListCurrentChanged(current); });

    // The main window's command keys work here as well.
    addActions(owner->actions());

    // Closing the page's tab closes its results.
    connect(&page, &QObject::destroyed, this, [this] {
        Hits->detach();
        viewed = nullptr;
        close();
    });

    const int width = QFontMetrics(ListFont).horizontalAdvance(QLatin1Char('0')) * 92 + 40; // a row of an 8-byte pattern; longer ones scroll sideways
    resize(width, 420);
    placeBesideOwner();
}

// To the right of the main window where the screen has room, else over its right side.
void TFindAllForm::placeBesideOwner()
{
    const QWidget* owner = parentWidget();
    const QRect main = owner->frameGeometry();
    const QRect screen = owner->screen()->availableGeometry();
    const int x = std::max(screen.left(), std::min(main.right() + 1, screen.right() + 1 - width()));
    const int y = std::max(screen.top(), std::min(main.top(), screen.bottom() + 1 - height()));
    move(x, y);
}

void TFindAllForm::showResults(Results results)
{
    const QString title = search::FindAllTitle(results.count, results.addresses.size());
    setWindowTitle(title);
    TitleLabel->setText(title);
    QString pattern = search::PatternHex(results.pattern.first(std::min(results.pattern.size(), PatternShown)));
    if (results.pattern.size() > PatternShown)
        pattern += QStringLiteral(" \u2026 (%1 bytes)").arg(results.pattern.size());
    PatternLabel->setText(pattern);
    StateLabel->setText(results.state);
    StateLabel->setVisible(!results.state.isEmpty());
    Hits->setHits(std::move(results.addresses), *viewed->file, static_cast<int64_t>(results.pattern.size()));
    show();
    activateWindow();
    HitList->setFocus();
    if (Hits->rowCount() > 0)
        HitList->setCurrentIndex(Hits->index(0));
}

void TFindAllForm::HitListCurrentChanged(const QModelIndex& current)
{
    if (viewed && current.isValid())
        viewed->MoveToAddress(Hits->address(current.row()));
}

bool TFindAllForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == HitList && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            backToPage();
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFindAllForm::backToPage()
{
    QWidget* owner = parentWidget();
    owner->activateWindow();
    if (viewed)
        viewed->BinGrid->setFocus();
}

void TFindAllForm::closeEvent(QCloseEvent* event)
{
    if (isActiveWindow())
        backToPage();
    QWidget::closeEvent(event);
}
