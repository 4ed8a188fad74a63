// What the grid's menu entries for the open table share: the grid, its data control, the
// services, the context menu they are added to and the way the table is opened again after a
// tool rewrote it.
#pragma once

#include "shell/AppServices.h"
#include "shell/Handlers.h"

#include <QAction>
#include <QMenu>
#include <QObject>

#include <functional>

namespace engine {
class DataControl;
}

namespace browser {

class DataGrid;

// Starts its entries with a separator after those already in the menu, and has enableForMenu
// called each time the menu opens. reopen opens the table from the data control's settings, as
// the Open command does.
class GridMenuTools : public QObject {
    Q_OBJECT
protected:
    GridMenuTools(DataGrid& grid, engine::DataControl& dataControl, shell::AppServices& services,
                  QMenu& menu, std::function<void()> reopen, QObject* parent);

    // An entry at the end of the menu named name, running command when triggered (its
    // failures reported through MostrarError).
    template <typename Command>
    QAction* addEntry(const QString& text, const char* name, Command command) {
        auto* action = new QAction(text, &m_menu);
        action->setObjectName(name);
        shell::connectHandler(action, &QAction::triggered, this, m_services.prompts,
                              std::move(command));
        m_menu.addAction(action);
        return action;
    }
    virtual void enableForMenu() = 0;

    DataGrid& m_grid;
    engine::DataControl& m_dataControl;
    shell::AppServices& m_services;
    QMenu& m_menu;
    std::function<void()> m_reopen;
};

}  // namespace browser
