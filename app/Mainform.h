#pragma once

// The main window: command bar, banner strip, one tab per open file, status bar.

#include "banner/BannerStrip.h"
#include "file/FileIdentity.h"
#include "output/Print.h"
#include "search/SearchHost.h"
#include "util/Seam.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>
#include <memory>

class CategoryButtons;
class CommandRegistry;
class QMenu;
class QLabel;
class QPrinter;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTimer;
class TPageForm;
namespace banner {
class BannerPane;
}

class TBEForm : public QMainWindow, public search::SearchHost {
    Q_OBJECT
public:
    explicit TBEForm(QWidget* parent = nullptr);
    ~TBEForm() override;

    // The page of the active tab, or null when there is none or it holds no page.
    TPageForm* activePage() const override;

    // The find commands' host: this window owns their boxes, holds its tabs while a
    // search runs and shows the search's progress in its status bar.
    QWidget* boxOwner() override { return this; }
    void holdInput(bool hold) override;
    void showStatus(const QString& text) override;

    // Banner strip: fetch the list again (in the background); show item k modulo its size.
    void downloadBannerList();
    void showBannerItem(std::uint32_t k);

    // Work that waits until the window has been painted once, so that start-up shows
    // the window before anything slow begins; each runs once.
    void afterFirstPaint(std::function<void()> work) { firstPaintWork.push_back(std::move(work)); }

    // The file-open dialog: full paths of the chosen files, empty when cancelled.
    util::Seam<QStringList()> OpenDialog1{[this] { return chooseFiles(); }};
    // The print dialog: the user chooses the printer and its settings on it; true when confirmed.
    util::Seam<bool(QPrinter& printer, QWidget* owner)> PrintDialog1{output::ShowPrintDialog};

    CategoryButtons* CategoryButtons1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    banner::BannerStrip* Browser1 = nullptr; // its view is made by the first banner page
    QTabWidget* FilePages = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 5> StatusPanels{};
    QLabel* EmptyHint = nullptr; // over the tab area while no file is open
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    // Every command's action; the bar, the keys and PageMenu are made from it.
    std::unique_ptr<CommandRegistry> Commands;
    // The page's context menu, the same for every page.
    QMenu* PageMenu = nullptr;

public slots:
    void CategoryButtons1Categories0Items1Click(); // Open
    void CategoryButtons1Categories0Items0Click(); // Close
    void CategoryButtons1Categories0Items6Click(); // Exit
    void CategoryButtons1Categories1Items1Click(); // Print
    void CategoryButtons1Categories2Items0Click(); // Find
    void CategoryButtons1Categories2Items1Click(); // Next
    void CategoryButtons1Categories2Items2Click(); // Goto
    void CategoryButtons1Categories3Items0Click(); // Help
    void CategoryButtons1Categories3Items1Click(); // About
    void CategoryButtons1Categories3Items2Click(); // Web
    void CopyAddressClick(); // Copy Address (no button)
    void CopyBytesClick();   // Copy Bytes (no button)
    void FindPreviousExecute(); // Shift+F3
    void FindAllExecute();      // Ctrl+Shift+F
    void Timer1Timer();
    void Timer2Timer();

    // Comparing two pages: pairs the active page with the page of tab index; the small
    // list of the other pages (Ctrl+K); the next and previous difference (F6,
    // Shift+F6); the count of differences; the pair's end.
    void compareWith(int index);
    void compareWithListCommand();
    // The context menu's "Compare With" submenu: choice is the other page's place in
    // its list, as otherPages gives it.
    void compareWithChoice(int choice);
    // The context menu's "Copy Value" submenu: inspector row (0 to 20) to the clipboard.
    void copyValueChoice(int row);
    void nextDifferenceCommand();
    void previousDifferenceCommand();
    void countDifferencesCommand();
    void stopComparingCommand();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildPanels();
    void buildStatusBar();
    void buildCommands();
    void attachPageMenu(TPageForm* page);
    void buildTabKeys();
    // Each tab's caption: the file's name, and the pair's mark while its page is paired.
    void showPairMarks();
    void buildEmptyHint();
    void fitToScreen();
    void fitMinimumSize();
    void startTimers();
    QStringList chooseFiles();
    // The files open in the tabs, which printing must never write into.
    std::vector<file::FileIdentity> viewedFiles() const;
    // The printer, made at the first Print and kept, with the user's choices, for the run.
    QPrinter& Printer();
    std::unique_ptr<QPrinter> printer;
    std::vector<std::function<void()>> firstPaintWork;
    void runCommand(void (TBEForm::*handler)());
    void runChoice(void (TBEForm::*handler)(int), int choice);
    void runGuarded(const std::function<void()>& work, bool keepsResults);
    // The pages besides the active one, in the order of their tabs: the tab's index and
    // the page's name and folder.
    std::vector<std::pair<int, QString>> otherPages() const;
    // The inspector's rows at the active page's cursor, each as its name and value.
    QStringList inspectorChoices() const;
    // Gives the keyboard to the active page's hex grid.
    void focusActivePage();

    std::unique_ptr<banner::BannerPane> bannerPane; // owns the banner list
};
