#pragma once

// The one list of the window's commands. Each entry becomes one QAction (caption, hint
// as tooltip, picture, key); the command bar, the window's keys and the page's context
// menu are all made from these actions, and nothing else lists commands.

#include <QColor>
#include <QKeySequence>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class CategoryButtons;
class QAction;
class QMenu;
class QWidget;

// Where a command shows besides its key.
enum class CommandPlace {
    Bar,     // a button on the command bar
    Menu,    // an entry in the page's context menu
    BarMenu, // both
    Key,     // its key only
};

// A context menu entry whose submenu is made each time the menu opens, from what is
// open then (the other pages, the inspector's values at the cursor).
struct CommandChoices {
    std::function<QStringList()> list; // the submenu's captions; a tab starts the right column
    std::function<void(int)> choose;   // runs the choice at this index of the list
    const char* none = nullptr;        // said, disabled, when the list is empty
};

struct CommandEntry {
    const char* caption;
    const char* hint;
    QKeySequence key;
    CommandPlace place;
    std::function<void()> run;
    int category = -1;             // the bar's category when on the bar
    int image = -1;                // the bar's picture, if any
    const char* submenu = nullptr; // the context menu's submenu holding it, if any
    CommandChoices choices = {};   // in the menu, a submenu of choices in place of the command
};

struct CommandCategory {
    const char* caption;
    QColor colour;
};

class CommandRegistry {
public:
    // Makes one action per entry, owned by window, whose keys then work anywhere in it.
    CommandRegistry(QWidget* window, std::vector<CommandEntry> entries);

    // The bar's categories and buttons, in the list's order, with the given pictures.
    void fillBar(CategoryButtons& bar, const std::vector<CommandCategory>& categories, std::vector<QPixmap> images) const;
    // The context menu's entries, in the list's order; a submenu sits where its first entry is.
    // A command with choices shows as a submenu of its caption, filled again whenever
    // the menu is about to open; its action keeps its key.
    void fillMenu(QMenu& menu) const;

    QAction* action(const QString& caption) const;
    const QList<QAction*>& actions() const { return all; }

private:
    QWidget* window;
    std::vector<CommandEntry> entries;
    QList<QAction*> all;
};
