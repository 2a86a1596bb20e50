#pragma once

// What the Find, Next and Goto commands need of the window that runs them.

class QString;
class QWidget;
class TPageForm;

namespace search {

class SearchHost {
public:
    // The page of the active tab, or null when there is none.
    virtual TPageForm* activePage() const = 0;
    // The window that owns the commands' boxes; its input is held while a search runs.
    virtual QWidget* boxOwner() = 0;
    // While held, no page can be closed or switched to.
    virtual void holdInput(bool hold) = 0;
    // The status line's message; an empty text clears it.
    virtual void showStatus(const QString& text) = 0;

protected:
    ~SearchHost() = default;
};

} // namespace search
