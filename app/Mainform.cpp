#include "app/Mainform.h"

#include "app/CategoryButtons.h"
#include "app/Commands.h"
#include "banner/BannerPane.h"
#include "banner/DefaultSeams.h"
#include "file/SizeProbe.h"
#include "util/DeferredError.h"
#include "output/About.h"
#include "output/CopyCommands.h"
#include "output/HelpWeb.h"
#include "output/PrintPage.h"
#include "page/InspectorCopy.h"
#include "page/Page_form.h"
#include "page/PageView.h"
#include "search/CompareCommands.h"
#include "search/FindAllform.h"
#include "search/FindCommands.h"
#include "util/Error.h"
#include "util/Messages.h"
#include "util/Product.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QResource>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

static void InitCommandImages() { Q_INIT_RESOURCE(images); }

namespace {

// A tab of FilePages; page stays null until a page was attached.
class TabSheet : public QWidget {
public:
    TPageForm* page = nullptr;
    QString name; // the file's name
};

const std::vector<CommandCategory> Categories = {
    {"File", QColor(0xFF, 0xEA, 0xFF)},
    {"Tools", QColor(0xFF, 0xEA, 0xFF)},
    {"Find", QColor(0xF0, 0xEA, 0xFF)},
    {"Help", QColor(0xFA, 0xEB, 0xE5)},
};

constexpr int ImageCount = 11;
constexpr const char* StatusNotice = "Read-only viewer";

// Drawn from app/images/*.svg beforehand (scripts/render-command-images) at the size
// the bar shows them, as the bare pixels: start-up needs no SVG renderer and no decoder
// (whose first use looks through every image plugin).
QPixmap CommandImage(int index)
{
    constexpr int Side = CategoryButtons::ImageSize;
    const QByteArray pixels = QResource(QStringLiteral(":/commands/%1.argb").arg(index)).uncompressedData();
    if (pixels.size() != Side * Side * 4)
        throw util::Error("command picture " + std::to_string(index) + " is missing or not of its size");
    return QPixmap::fromImage(
        QImage(reinterpret_cast<const uchar*>(pixels.constData()), Side, Side, Side * 4, QImage::Format_ARGB32_Premultiplied)
            .copy());
}

QString BaseName(const QString& path) { return QFileInfo(path).fileName(); }

// A tab caption shows the name as it is: "&" would otherwise mark a mnemonic.
QString TabCaption(const QString& name)
{
    QString caption = name;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Ends the caption of a page paired for comparison.
const QString PairMark = QStringLiteral(" \u21C4");

const QSize DesignedSize(792, 666);
const QSize DesignedMinimum(540, 400);
const QPoint DesignedPosition(335, 88);

} // namespace

TBEForm::TBEForm(QWidget* parent) : QMainWindow(parent)
{
    InitCommandImages();
    setWindowTitle(QString::fromLatin1(util::ProductTitle));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    buildPanels();
    buildStatusBar();
    buildCommands();
    buildTabKeys();
    startTimers();
    fitMinimumSize();
    fitToScreen();

    // Seeds, downloads the list and shows item 0 once it has arrived; nothing waits here.
    bannerPane = std::make_unique<banner::BannerPane>(banner::MakeSeams(), Browser1);
    afterFirstPaint([this] { bannerPane->start(); });
}

TBEForm::~TBEForm() = default;

// The command bar above a splitter, the banner strip and the tabs below it.
void TBEForm::buildPanels()
{
    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    setCentralWidget(central);

    Splitter1 = new QSplitter(Qt::Vertical, central);
    Splitter1->setHandleWidth(3);
    Splitter1->setOpaqueResize(true);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setAccessibleName(QStringLiteral("Commands and files"));
    centralLayout->addWidget(Splitter1);

    auto* commandPanel = new QWidget;
    commandPanel->setMinimumHeight(60);
    commandPanel->setMaximumHeight(120);
    auto* commandLayout = new QVBoxLayout(commandPanel);
    commandLayout->setContentsMargins(0, 0, 0, 0);
    CategoryButtons1 = new CategoryButtons(commandPanel);
    commandLayout->addWidget(CategoryButtons1);

    auto* rest = new QWidget;
    auto* restLayout = new QVBoxLayout(rest);
    restLayout->setContentsMargins(0, 0, 0, 0);
    restLayout->setSpacing(0);
    Browser1 = new banner::BannerStrip(rest);
    restLayout->addWidget(Browser1);
    FilePages = new QTabWidget(rest);
    FilePages->setDocumentMode(true);
    restLayout->addWidget(FilePages, 1);

    Splitter1->addWidget(commandPanel);
    Splitter1->addWidget(rest);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({61, 666 - 61});
    buildEmptyHint();

    // Keys go straight to the page that comes to the front.
    connect(FilePages, &QTabWidget::currentChanged, this, &TBEForm::focusActivePage);
}

// The designed size and place, within the screen's available area; the minimum wins
// over a screen too small for it.
void TBEForm::fitToScreen()
{
    const QRect available = screen()->availableGeometry();
    const QSize size = DesignedSize.boundedTo(available.size()).expandedTo(minimumSize());
    resize(size);
    const int x = std::max(available.left(), std::min(DesignedPosition.x(), available.right() + 1 - size.width()));
    const int y = std::max(available.top(), std::min(DesignedPosition.y(), available.bottom() + 1 - size.height()));
    move(x, y);
}

// At the smallest size every part is whole: the minimum grows to what the parts need.
void TBEForm::fitMinimumSize() { setMinimumSize(DesignedMinimum.expandedTo(layout()->totalMinimumSize())); }

// The parts' needs change as pages come and go; each change asks for a new layout.
bool TBEForm::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::LayoutRequest)
        fitMinimumSize();
    return handled;
}

// An empty start says in one quiet line how to open a file.
void TBEForm::buildEmptyHint()
{
    EmptyHint = new QLabel(QStringLiteral("No file is open. Open one with the Open command (Ctrl+O)."), FilePages);
    EmptyHint->setTextFormat(Qt::PlainText);
    EmptyHint->setAlignment(Qt::AlignCenter);
    EmptyHint->setForegroundRole(QPalette::PlaceholderText);
    FilePages->installEventFilter(this);
    connect(FilePages, &QTabWidget::currentChanged, this,
            [this] { EmptyHint->setVisible(FilePages->count() == 0); });
}

bool TBEForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FilePages && event->type() == QEvent::Resize)
        EmptyHint->setGeometry(FilePages->rect());
    return QMainWindow::eventFilter(watched, event);
}

// Ctrl+Tab and Ctrl+Shift+Tab step through the tabs from anywhere in the window.
void TBEForm::buildTabKeys()
{
    const auto addStep = [this](QList<QKeySequence> keys, int step) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, step] {
            const int count = FilePages->count();
            if (count > 1 && !search::SearchRunning())
                FilePages->setCurrentIndex((FilePages->currentIndex() + step + count) % count);
        });
        addAction(action);
    };
    addStep({QKeySequence(Qt::CTRL | Qt::Key_Tab)}, 1);
    addStep({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)}, -1);
}

// Find Previous and Find All have keys of their own beside the bar's commands.
void TBEForm::buildStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    setStatusBar(StatusBar1);
    const int panelWidths[] = {120, 400, 150, 0};
    for (size_t i = 0; i < StatusPanels.size(); ++i) {
        StatusPanels[i] = new QLabel(StatusBar1);
        StatusPanels[i]->setTextFormat(Qt::PlainText); // a path holding "<b>" reads as it is
        if (i < 4)
            StatusPanels[i]->setFixedWidth(panelWidths[i]);
        StatusBar1->addWidget(StatusPanels[i], i < 4 ? 0 : 1);
    }
    StatusPanels[3]->setVisible(false);
    StatusPanels[4]->setText(QString::fromLatin1(StatusNotice));
}

QStringList TBEForm::chooseFiles()
{
    QFileDialog dialog(this, QStringLiteral("Open File(s)"), QString(), QStringLiteral("All files (*)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return QStringList();
    return dialog.selectedFiles();
}

void TBEForm::startTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setInterval(200);
    connect(Timer1, &QTimer::timeout, this, &TBEForm::Timer1Timer);
    Timer1->start();
    Timer2 = new QTimer(this);
    Timer2->setInterval(20108);
    connect(Timer2, &QTimer::timeout, this, &TBEForm::Timer2Timer);
    Timer2->start();
}

// Every command, once: the bar, the keys and the page's context menu are made from this list.
// A command beyond the bar is one more line with CommandPlace::Menu (or Key), e.g.
//   {"Find Previous", "find previous", QKeySequence(Qt::SHIFT | Qt::Key_F3), CommandPlace::Menu, run(&TBEForm::FindPreviousClick)},
// and a context submenu entry names its submenu last:
//   {"Hex", "copy the value as hex", {}, CommandPlace::Menu, run(&TBEForm::CopyValueHexClick), -1, -1, "Copy Value"},
void TBEForm::buildCommands()
{
    using P = CommandPlace;
    const auto run = [this](void (TBEForm::*handler)()) { return [this, handler] { runCommand(handler); }; };
    const auto choose = [this](void (TBEForm::*handler)(int)) {
        return [this, handler](int choice) { runChoice(handler, choice); };
    };
    const CommandChoices otherPageChoices{[this] {
                                              QStringList items;
                                              for (const auto& [index, caption] : otherPages())
                                                  items << caption;
                                              return items;
                                          },
                                          choose(&TBEForm::compareWithChoice), "No other file is open"};
    const CommandChoices valueChoices{[this] { return inspectorChoices(); }, choose(&TBEForm::copyValueChoice)};
    std::vector<CommandEntry> commands = {
        {"Open", "open file", QKeySequence(Qt::CTRL | Qt::Key_O), P::Bar, run(&TBEForm::CategoryButtons1Categories0Items1Click), 0, 0},
        {"Close", "close file", QKeySequence(Qt::CTRL | Qt::Key_W), P::Bar, run(&TBEForm::CategoryButtons1Categories0Items0Click), 0, 1},
        {"Exit", "exit Byteloom", QKeySequence(Qt::CTRL | Qt::Key_Q), P::Bar, run(&TBEForm::CategoryButtons1Categories0Items6Click), 0, 2},
        {"Print", "print current view", QKeySequence(Qt::CTRL | Qt::Key_P), P::Bar, run(&TBEForm::CategoryButtons1Categories1Items1Click), 1, 4},
        {"Find", "find first", QKeySequence(Qt::CTRL | Qt::Key_F), P::BarMenu, run(&TBEForm::CategoryButtons1Categories2Items0Click), 2, 5},
        {"Next", "find next", QKeySequence(Qt::Key_F3), P::BarMenu, run(&TBEForm::CategoryButtons1Categories2Items1Click), 2, 6},
        {"Goto", "go to address", QKeySequence(Qt::CTRL | Qt::Key_G), P::BarMenu, run(&TBEForm::CategoryButtons1Categories2Items2Click), 2, 7},
        {"Find Previous", "find previous", QKeySequence(Qt::SHIFT | Qt::Key_F3), P::Menu, run(&TBEForm::FindPreviousExecute)},
        {"Find All", "find all occurrences", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), P::Menu, run(&TBEForm::FindAllExecute)},
        {"Copy Address", "copy the cursor's address", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), P::Menu, run(&TBEForm::CopyAddressClick)},
        {"Copy Bytes...", "copy a range of bytes", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), P::Menu, run(&TBEForm::CopyBytesClick)},
        {"Copy Value", "copy a value of the data inspector", QKeySequence(), P::Menu, nullptr, -1, -1, nullptr, valueChoices},
        {"Compare With...", "compare with another open file", QKeySequence(Qt::CTRL | Qt::Key_K), P::Menu, run(&TBEForm::compareWithListCommand), -1, -1, nullptr, otherPageChoices},
        {"Next Difference", "next difference of the compared files", QKeySequence(Qt::Key_F6), P::Menu, run(&TBEForm::nextDifferenceCommand)},
        {"Previous Difference", "previous difference of the compared files", QKeySequence(Qt::SHIFT | Qt::Key_F6), P::Menu, run(&TBEForm::previousDifferenceCommand)},
        {"Count Differences", "count the differing bytes", QKeySequence(), P::Menu, run(&TBEForm::countDifferencesCommand)},
        {"Stop Comparing", "stop comparing the files", QKeySequence(), P::Menu, run(&TBEForm::stopComparingCommand)},
        {"Help", "help", QKeySequence(Qt::Key_F1), P::Bar, run(&TBEForm::CategoryButtons1Categories3Items0Click), 3, 8},
        {"About", "about Byteloom", QKeySequence(), P::Bar, run(&TBEForm::CategoryButtons1Categories3Items1Click), 3, 9},
        {"Web", "open Byteloom web site", QKeySequence(), P::Bar, run(&TBEForm::CategoryButtons1Categories3Items2Click), 3, 10},
    };
    Commands = std::make_unique<CommandRegistry>(this, std::move(commands));

    std::vector<QPixmap> images;
    for (int i = 0; i < ImageCount; ++i)
        images.push_back(CommandImage(i));
    Commands->fillBar(*CategoryButtons1, Categories, std::move(images));
    PageMenu = new QMenu(this);
    Commands->fillMenu(*PageMenu);
}

// The page's context menu opens where the grid asks: at the mouse, or at the cursor's cell.
void TBEForm::attachPageMenu(TPageForm* page)
{
    for (QWidget* grid : {static_cast<QWidget*>(page->BinGrid), static_cast<QWidget*>(page->TextGrid)}) {
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](QPoint at) { PageMenu->popup(grid->mapToGlobal(at)); });
    }
}

// A command's failure never travels through the button's or the shortcut's signal: its
// text goes to the error box once the event is over, as any other failure does.
void TBEForm::runCommand(void (TBEForm::*handler)())
{
    runGuarded([this, handler] { (this->*handler)(); }, handler == &TBEForm::FindAllExecute);
}

void TBEForm::runChoice(void (TBEForm::*handler)(int), int choice)
{
    runGuarded([this, handler, choice] { (this->*handler)(choice); }, false);
}

void TBEForm::runGuarded(const std::function<void()>& work, bool keepsResults)
{
    try {
        work();
    } catch (const util::Reported&) {
    } catch (const std::exception& e) {
        util::ShowErrorLater(QString::fromLocal8Bit(e.what()));
    }
    // The keyboard goes back to the page after every command and every box it showed,
    // but Find All leaves it with its results.
    if (!keepsResults || !qobject_cast<TFindAllForm*>(QApplication::activeWindow()))
        focusActivePage();
}

void TBEForm::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    if (firstPaintWork.empty())
        return;
    // Queued, so that this paint reaches the screen first.
    QTimer::singleShot(0, this, [work = std::move(firstPaintWork)] {
        for (const auto& run : work)
            run();
    });
    firstPaintWork.clear();
}

void TBEForm::holdInput(bool hold)
{
    FilePages->setEnabled(!hold);
    // Disabling dropped the grid's focus, and enabling does not give it back.
    if (!hold)
        focusActivePage();
}

void TBEForm::focusActivePage()
{
    TPageForm* page = activePage();
    if (!page)
        return;
    // A command keyed in a results window returns to the page as well.
    if (qobject_cast<TFindAllForm*>(QApplication::activeWindow()))
        activateWindow();
    page->BinGrid->setFocus();
}

void TBEForm::showStatus(const QString& text)
{
    if (text.isEmpty())
        StatusBar1->clearMessage();
    else
        StatusBar1->showMessage(text);
}

TPageForm* TBEForm::activePage() const
{
    auto* sheet = dynamic_cast<TabSheet*>(FilePages->currentWidget());
    return sheet ? sheet->page : nullptr;
}

void TBEForm::CategoryButtons1Categories0Items1Click()
{
    const QStringList files = OpenDialog1();
    for (const QString& path : files) {
        const std::string localPath = QFile::encodeName(path).toStdString();
        const QString name = BaseName(path);
        if (file::ProbeFileSize(localPath) == 0) {
            util::ShowMessage(this, {QStringLiteral("Error"), QStringLiteral("Zero file size: ") + name, util::BoxIcon::Error});
            continue;
        }
        auto* sheet = new TabSheet;
        sheet->name = name;
        const int index = FilePages->addTab(sheet, TabCaption(name));
        try {
            sheet->page = new TPageForm(sheet, localPath);
            attachPageMenu(sheet->page);
            FilePages->setCurrentIndex(index);
            focusActivePage();
        } catch (const util::Reported&) {
            FilePages->removeTab(FilePages->indexOf(sheet));
            delete sheet;
        } catch (const std::exception& e) {
            FilePages->removeTab(FilePages->indexOf(sheet));
            delete sheet;
            util::ShowMessage(this, {QStringLiteral("Error"), QString::fromLocal8Bit(e.what()), util::BoxIcon::Error});
        }
    }
}

void TBEForm::CategoryButtons1Categories0Items0Click()
{
    if (search::SearchRunning())
        return; // the page searched must outlive its search
    const int active = FilePages->currentIndex();
    if (active < 0)
        return;
    int next = active;
    if (active == FilePages->count() - 1)
        next = FilePages->count() - 2;
    QWidget* sheet = FilePages->widget(active);
    FilePages->removeTab(active);
    delete sheet;
    FilePages->setCurrentIndex(next);
    showPairMarks(); // a closed page's pair has ended
}

void TBEForm::CategoryButtons1Categories0Items6Click() { close(); }

void TBEForm::CategoryButtons1Categories1Items1Click()
{
    output::PrintPage(
        activePage(), Printer(), [this](QPrinter& target, QWidget* owner) { return PrintDialog1(target, owner); }, this,
        viewedFiles());
}

std::vector<file::FileIdentity> TBEForm::viewedFiles() const
{
    std::vector<file::FileIdentity> viewed;
    for (int i = 0; i < FilePages->count(); ++i)
        if (const auto* sheet = dynamic_cast<const TabSheet*>(FilePages->widget(i)); sheet && sheet->page)
            if (sheet->page->fileIdentity)
                viewed.push_back(*sheet->page->fileIdentity);
    return viewed;
}

QPrinter& TBEForm::Printer()
{
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

void TBEForm::CategoryButtons1Categories2Items0Click() { search::FindCommand(*this); }

void TBEForm::CategoryButtons1Categories2Items1Click() { search::NextCommand(*this); }

void TBEForm::CategoryButtons1Categories2Items2Click() { search::GotoCommand(*this); }

void TBEForm::CopyAddressClick()
{
    if (TPageForm* page = activePage(); page && !search::SearchRunning())
        output::CopyAddress(*page);
}

void TBEForm::CopyBytesClick()
{
    if (TPageForm* page = activePage(); page && !search::SearchRunning())
        output::ShowCopyBytes(*page, this);
}

void TBEForm::FindPreviousExecute() { search::FindPreviousCommand(*this); }

void TBEForm::FindAllExecute() { search::FindAllCommand(*this); }

void TBEForm::CategoryButtons1Categories3Items0Click() { output::HelpCommand(this); }

void TBEForm::CategoryButtons1Categories3Items1Click() { output::AboutCommand(this); }

void TBEForm::CategoryButtons1Categories3Items2Click() { output::WebCommand(this); }

void TBEForm::Timer1Timer()
{
    const TPageForm* page = activePage();
    if (!page)
        return;
    const page::CellText cursor = page::AddressText(page->cursorAddress);
    StatusPanels[0]->setText(QString::fromLatin1(cursor.chars.data(), cursor.length));
    StatusPanels[1]->setText(QFile::decodeName(QByteArray::fromStdString(page->fileName)));
    StatusPanels[2]->setText(QString::number(page->file->size()) + QStringLiteral(" bytes"));
    StatusPanels[3]->setText(QStringLiteral("read only"));
}

void TBEForm::Timer2Timer() { bannerPane->tick(isVisible()); }

void TBEForm::downloadBannerList() { bannerPane->downloadBannerList(); }

void TBEForm::showBannerItem(std::uint32_t k) { bannerPane->showBannerItem(k); }

void TBEForm::showPairMarks()
{
    for (int i = 0; i < FilePages->count(); ++i)
        if (const auto* sheet = dynamic_cast<const TabSheet*>(FilePages->widget(i)))
            FilePages->setTabText(i, TabCaption(sheet->name) + (sheet->page && sheet->page->Partner() ? PairMark : QString()));
}

void TBEForm::compareWith(int index)
{
    TPageForm* page = activePage();
    const auto* sheet = dynamic_cast<const TabSheet*>(FilePages->widget(index));
    if (!page || !sheet || !sheet->page || sheet->page == page || search::SearchRunning())
        return;
    page->CompareWith(*sheet->page);
    showPairMarks();
}

std::vector<std::pair<int, QString>> TBEForm::otherPages() const
{
    std::vector<std::pair<int, QString>> pages;
    const TPageForm* page = activePage();
    if (!page)
        return pages;
    for (int i = 0; i < FilePages->count(); ++i) {
        const auto* sheet = dynamic_cast<const TabSheet*>(FilePages->widget(i));
        if (!sheet || !sheet->page || sheet->page == page)
            continue;
        const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(sheet->page->fileName)));
        pages.emplace_back(i, sheet->name + QStringLiteral(" \u2014 ") + info.absolutePath());
    }
    return pages;
}

// The other pages by name and folder, in the order of their tabs.
void TBEForm::compareWithListCommand()
{
    if (!activePage() || search::SearchRunning())
        return;
    const std::vector<std::pair<int, QString>> pages = otherPages();
    if (pages.empty())
        return;
    QStringList items;
    for (const auto& [index, caption] : pages)
        items << caption;
    const int chosen = search::ChoosePartner(this, items);
    if (chosen >= 0 && static_cast<size_t>(chosen) < pages.size())
        compareWith(pages[static_cast<size_t>(chosen)].first);
}

// The tabs cannot change while the menu is open: the list is the one it showed.
void TBEForm::compareWithChoice(int choice)
{
    const std::vector<std::pair<int, QString>> pages = otherPages();
    if (choice >= 0 && static_cast<size_t>(choice) < pages.size())
        compareWith(pages[static_cast<size_t>(choice)].first);
}

QStringList TBEForm::inspectorChoices() const
{
    QStringList items;
    if (const TPageForm* page = activePage())
        for (const page::InspectorValue& row : page::InspectorValues(*page))
            items << row.name + QLatin1Char('\t') + row.value;
    return items;
}

void TBEForm::copyValueChoice(int row)
{
    if (const TPageForm* page = activePage(); page && !search::SearchRunning())
        page::CopyInspectorValue(*page, row);
}

void TBEForm::nextDifferenceCommand() { search::NextDifferenceCommand(*this); }

void TBEForm::previousDifferenceCommand() { search::PreviousDifferenceCommand(*this); }

void TBEForm::countDifferencesCommand() { search::CountDifferencesCommand(*this); }

void TBEForm::stopComparingCommand()
{
    search::StopComparingCommand(*this);
    showPairMarks();
}
