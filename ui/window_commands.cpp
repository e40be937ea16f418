// The window's menu items: each made, placed, given its shortcut, wired and kept enabled in one
// call.
#include "ui/window_commands.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>
#include <utility>
#include <vector>

namespace dabro {

namespace {

// Kept in order as the classes register, before the program's main() starts.
std::vector<std::pair<int, MakeCommands>>& registered() {
    static std::vector<std::pair<int, MakeCommands>> classes;
    return classes;
}

}  // namespace

bool register_commands(int order, MakeCommands make) {
    auto& classes = registered();
    const auto at = std::upper_bound(classes.begin(), classes.end(), order,
                                     [](int o, const auto& entry) { return o < entry.first; });
    classes.emplace(at, order, make);
    return true;
}

void make_registered_commands(TForm1& window) {
    for (const auto& [order, make] : registered()) make(window);
}

QAction* WindowCommands::add(const Item& item, Slot slot, Enabled enabled) {
    QAction* action = item.menu->addAction(item.caption);
    action->setObjectName(QLatin1String(item.name));
    action->setShortcuts(item.shortcuts);
    connect(action, &QAction::triggered, this, [action, slot = std::move(slot)] { slot(action); });
    items_.push_back(action);
    if (enabled) {
        action->setEnabled(enabled());
        rules_.emplace_back(action, std::move(enabled));
    }
    return action;
}

QAction* WindowCommands::separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

bool WindowCommands::takes(const QKeyEvent& key) const {
    if (!(key.modifiers() & Qt::ControlModifier)) return false;
    const QKeySequence pressed(key.keyCombination());
    return std::any_of(items_.begin(), items_.end(), [&](const QAction* a) {
        return a->isEnabled() && a->shortcuts().contains(pressed);
    });
}

void WindowCommands::update_enabled() const {
    for (const auto& [action, enabled] : rules_) action->setEnabled(enabled());
}

}  // namespace dabro
