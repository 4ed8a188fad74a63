// The pictures of the table-creation windows' picture buttons, drawn rather than shipped.
#pragma once

#include <QIcon>

namespace tablecreate {

QIcon addFieldPicture();
QIcon deleteFieldPicture();
QIcon createTablePicture();
QIcon closeWindowPicture();
QIcon selectFolderPicture();
QIcon cancelPicture();

}  // namespace tablecreate
