#include "app/CategoryButtonsAccessible.h"

#include "app/CategoryButtons.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QPointer>
#include <QWindow>

#include <map>
#include <utility>

namespace {

class BarAccessible;

// One object for a category (item -1) or for one of its buttons; the bar owns neither,
// so each is registered with Qt's cache and looked up again by its place.
class BarItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    BarItemAccessible(CategoryButtons* bar, int category, int item) : bar(bar), category(category), item(item) {}

    bool isValid() const override
    {
        return bar && category < bar->categoryCount() && item < bar->buttonCount(category);
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar ? bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* c = child(i); c && c->rect().contains(x, y))
                return c;
        return nullptr;
    }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override
    {
        return item < 0 && isValid() && !bar->collapsed(category) ? bar->buttonCount(category) : 0;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* other = dynamic_cast<const BarItemAccessible*>(child);
        return other && item < 0 && other->category == category && other->item >= 0 ? other->item : -1;
    }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (item < 0)
            return t == QAccessible::Name ? bar->categoryCaption(category) : QString();
        switch (t) {
        case QAccessible::Name: return bar->caption(category, item);
        case QAccessible::Description: return bar->hint(category, item);
        case QAccessible::Accelerator: return shortcut();
        default: return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = item < 0 ? bar->categoryRect(category) : bar->buttonRect(category, item);
        return r.isEmpty() ? QRect() : QRect(bar->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return item < 0 ? QAccessible::Grouping : QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        if (item < 0) {
            s.expandable = true;
            s.expanded = !bar->collapsed(category);
            s.collapsed = bar->collapsed(category);
        }
        if (!bar->isVisible() || rect().isEmpty())
            s.invisible = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        if (!isValid())
            return {};
        return {item < 0 ? toggleAction() : pressAction()};
    }
    void doAction(const QString& name) override
    {
        if (!isValid())
            return;
        if (item < 0 && name == toggleAction())
            bar->setCollapsed(category, !bar->collapsed(category));
        else if (item >= 0 && name == pressAction())
            bar->press(category, item);
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (item >= 0 && name == pressAction() && !shortcut().isEmpty())
            return {shortcut()};
        return {};
    }

    QPointer<CategoryButtons> bar;
    const int category;
    const int item;

private:
    QString shortcut() const
    {
        const QAction* command = bar->action(category, item);
        return command ? command->shortcut().toString(QKeySequence::NativeText) : QString();
    }
};

// The bar itself: a tool bar whose children are its categories, not its scroll parts.
class BarAccessible : public QAccessibleWidget {
public:
    explicit BarAccessible(CategoryButtons* bar) : QAccessibleWidget(bar, QAccessible::ToolBar) {}
    ~BarAccessible() override
    {
        for (const auto& [place, id] : items)
            QAccessible::deleteAccessibleInterface(id);
    }

    CategoryButtons* bar() const { return static_cast<CategoryButtons*>(widget()); }

    QAccessibleInterface* item(int category, int button) const
    {
        const auto [at, made] = items.try_emplace({category, button}, 0);
        if (made)
            at->second = QAccessible::registerAccessibleInterface(new BarItemAccessible(bar(), category, button));
        return QAccessible::accessibleInterface(at->second);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("Commands");
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return bar()->categoryCount(); }
    QAccessibleInterface* child(int index) const override
    {
        return index >= 0 && index < childCount() ? item(index, -1) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* other = dynamic_cast<const BarItemAccessible*>(child);
        return other && other->item < 0 && other->bar == bar() ? other->category : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* c = child(i); c->rect().contains(x, y))
                return c->childAt(x, y) ? c->childAt(x, y) : c;
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override { return nullptr; } // the bar never holds the keyboard

private:
    mutable std::map<std::pair<int, int>, QAccessible::Id> items;
};

QAccessibleInterface* BarOf(CategoryButtons* bar) { return QAccessible::queryAccessibleInterface(bar); }

QAccessibleInterface* BarItemAccessible::parent() const
{
    if (!bar)
        return nullptr;
    auto* owner = static_cast<BarAccessible*>(BarOf(bar));
    return item < 0 ? owner : owner->item(category, -1);
}

QAccessibleInterface* BarItemAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return static_cast<BarAccessible*>(BarOf(bar))->item(category, index);
}

QAccessibleInterface* MakeBarAccessible(const QString&, QObject* object)
{
    if (auto* bar = qobject_cast<CategoryButtons*>(object))
        return new BarAccessible(bar);
    return nullptr;
}

} // namespace

void InstallCategoryButtonsAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(MakeBarAccessible);
        return true;
    }();
    (void)installed;
}

void NotifyCollapsed(CategoryButtons* bar, int category)
{
    if (!QAccessible::isActive())
        return;
    auto* owner = static_cast<BarAccessible*>(BarOf(bar));
    if (!owner)
        return;
    QAccessibleInterface* group = owner->item(category, -1);
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    QAccessibleStateChangeEvent state(group, changed);
    QAccessible::updateAccessibility(&state);
    QAccessibleEvent reorder(group, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
}
