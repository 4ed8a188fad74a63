#include "browser/GridMenuTools.h"

namespace browser {

GridMenuTools::GridMenuTools(DataGrid& grid, engine::DataControl& dataControl,
                             shell::AppServices& services, QMenu& menu,
                             std::function<void()> reopen, QObject* parent)
    : QObject(parent),
      m_grid(grid),
      m_dataControl(dataControl),
      m_services(services),
      m_menu(menu),
      m_reopen(std::move(reopen)) {
    m_menu.addSeparator();
    connect(&m_menu, &QMenu::aboutToShow, this, [this] { enableForMenu(); });
}

}  // namespace browser
