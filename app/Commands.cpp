#include "app/Commands.h"

#include "app/CategoryButtons.h"

#include <QAction>
#include <QCoreApplication>
#include <QStatusTipEvent>
#include <QIcon>
#include <QMenu>
#include <QWidget>

#include <map>

namespace {

bool OnBar(CommandPlace place) { return place == CommandPlace::Bar || place == CommandPlace::BarMenu; }
bool InMenu(CommandPlace place) { return place == CommandPlace::Menu || place == CommandPlace::BarMenu; }

// A submenu's title drops the dots that promise a dialog: its choices follow at once.
QString SubmenuTitle(const char* caption)
{
    QString title = QString::fromLatin1(caption);
    if (title.endsWith(QStringLiteral("...")))
        title.chop(3);
    return title;
}

// A choice's caption shows as it is: "&" would otherwise mark a mnemonic.
QString ShownAsIs(QString caption) { return caption.replace(QLatin1Char('&'), QStringLiteral("&&")); }

void FillChoices(QMenu& sub, const CommandChoices& choices)
{
    sub.clear();
    const QStringList list = choices.list();
    for (int i = 0; i < list.size(); ++i) {
        QAction* choice = sub.addAction(ShownAsIs(list[i]));
        choice->setStatusTip(sub.menuAction()->statusTip());
        QObject::connect(choice, &QAction::triggered, &sub, [choose = choices.choose, i] { choose(i); });
    }
    if (list.isEmpty() && choices.none)
        sub.addAction(QString::fromLatin1(choices.none))->setEnabled(false);
}

} // namespace

CommandRegistry::CommandRegistry(QWidget* window_, std::vector<CommandEntry> entries_)
    : window(window_), entries(std::move(entries_))
{
    for (const CommandEntry& entry : entries) {
        auto* action = new QAction(QString::fromLatin1(entry.caption), window);
        action->setToolTip(QString::fromLatin1(entry.hint));
        action->setStatusTip(QString::fromLatin1(entry.hint));
        action->setShortcut(entry.key);
        action->setShortcutContext(Qt::WindowShortcut);
        if (entry.run)
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
    // A submenu's own entries are not the window's: their hints reach its status bar here.
    QObject::connect(&menu, &QMenu::hovered, window, [target = window](QAction* hovered) {
        QStatusTipEvent tip(hovered->statusTip());
        QCoreApplication::sendEvent(target, &tip);
    });
    // A menu closed by choosing an entry would leave that entry's hint over the address.
    QObject::connect(&menu, &QMenu::aboutToHide, window, [target = window] {
        QStatusTipEvent tip{QString()};
        QCoreApplication::sendEvent(target, &tip);
    });
    std::map<QString, QMenu*> submenus;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!InMenu(entries[i].place))
            continue;
        QAction* action = all[static_cast<qsizetype>(i)];
        QMenu* place = &menu;
        if (entries[i].submenu) {
            const QString name = QString::fromLatin1(entries[i].submenu);
            QMenu*& sub = submenus[name];
            if (!sub)
                sub = menu.addMenu(name);
            place = sub;
        }
        if (!entries[i].choices.list) {
            place->addAction(action);
            continue;
        }
        QMenu* choices = place->addMenu(SubmenuTitle(entries[i].caption));
        choices->menuAction()->setToolTip(action->toolTip());
        choices->menuAction()->setStatusTip(action->statusTip());
        QObject::connect(&menu, &QMenu::aboutToShow, choices,
                         [choices, entry = entries[i].choices] { FillChoices(*choices, entry); });
    }
}

QAction* CommandRegistry::action(const QString& caption) const
{
    for (QAction* a : all)
        if (a->text() == caption)
            return a;
    return nullptr;
}
