// The window's menu items: each made, placed, given its shortcut, wired and kept enabled in one
// call.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QKeyEvent;
class QMenu;

namespace dabro {

class TForm1;

// A command class registers itself from its own file, so adding one touches no other file:
// `order` places its items among the other classes' (lower first), and the window makes each
// registered class, in that order, once its own menus are built.
using MakeCommands = void (*)(TForm1& window);
bool register_commands(int order, MakeCommands make);
void make_registered_commands(TForm1& window);

// Every menu item of the window is registered here, so the menu's claim on Ctrl keys and
// the items' enabled state need no list kept by hand. A command class (ui/*_commands.h)
// adds its items when it is constructed with the window.
class WindowCommands : public QObject {
  public:
    // Whether the item's command can run now; asked at each update.
    using Enabled = std::function<bool()>;
    // The item's work; it gets the item as the sender.
    using Slot = std::function<void(QAction*)>;

    struct Item {
        QMenu* menu;
        const char* name;  // the object name the window's tests find it by
        QString caption;
        QList<QKeySequence> shortcuts = {};
    };

    explicit WindowCommands(QObject* parent) : QObject(parent) {}

    // Makes the item at the end of its menu and runs `slot` when it is triggered.
    QAction* add(const Item& item, Slot slot, Enabled enabled = {});
    // A separator at the end of the menu.
    QAction* separator(QMenu* menu, const char* name);
    // Whether an enabled item has the key as a shortcut: the menu comes before a field.
    bool takes(const QKeyEvent& key) const;
    // Each item with a rule of its own follows it.
    void update_enabled() const;

  private:
    std::vector<QAction*> items_;
    std::vector<std::pair<QAction*, Enabled>> rules_;
};

}  // namespace dabro
