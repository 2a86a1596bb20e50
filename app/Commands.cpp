#include "app/Commands.h"

#include "app/CategoryButtons.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QWidget>

#include <map>

namespace {

bool OnBar(CommandPlace place) { return place == CommandPlace::Bar || place == CommandPlace::BarMenu; }
bool InMenu(CommandPlace place) { return place == CommandPlace::Menu || place == CommandPlace::BarMenu; }

} // namespace

CommandRegistry::CommandRegistry(QWidget* window, std::vector<CommandEntry> entries_) : entries(std::move(entries_))
{
    for (const CommandEntry& entry : entries) {
        auto* action = new QAction(QString::fromLatin1(entry.caption), window);
        action->setToolTip(QString::fromLatin1(entry.hint));
        action->setStatusTip(QString::fromLatin1(entry.hint));
        action->setShortcut(entry.key);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, window, [run = entry.run] { run(); });
        window->addAction(action);
        all.append(action);
    }
}

void CommandRegistry::fillBar(CategoryButtons& bar, const std::vector<CommandCategory>& categories,
                              std::vector<QPixmap> images) const
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (OnBar(entries[i].place) && entries[i].image >= 0 && static_cast<size_t>(entries[i].image) < images.size())
            all[static_cast<qsizetype>(i)]->setIcon(QIcon(images[static_cast<size_t>(entries[i].image)]));
    bar.setImages(std::move(images));
    for (const CommandCategory& category : categories)
        bar.addCategory(QString::fromLatin1(category.caption), category.colour);
    for (size_t i = 0; i < entries.size(); ++i)
        if (OnBar(entries[i].place))
            bar.addButton(entries[i].category, all[static_cast<qsizetype>(i)], entries[i].image);
}

void CommandRegistry::fillMenu(QMenu& menu) const
{
    std::map<QString, QMenu*> submenus;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!InMenu(entries[i].place))
            continue;
        QAction* action = all[static_cast<qsizetype>(i)];
        if (!entries[i].submenu) {
            menu.addAction(action);
            continue;
        }
        const QString name = QString::fromLatin1(entries[i].submenu);
        QMenu*& sub = submenus[name];
        if (!sub)
            sub = menu.addMenu(name);
        sub->addAction(action);
    }
}

QAction* CommandRegistry::action(const QString& caption) const
{
    for (QAction* a : all)
        if (a->text() == caption)
            return a;
    return nullptr;
}
