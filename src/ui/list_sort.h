#pragma once
// Sorting a tool window's list by a clicked column: the " ▲" / " ▼" marker in
// the column captions holds the sort state, the rows are compared by the
// clicked column's text (lower-cased ASCII letters, as bytes of the ANSI code
// page) in the order an exchange sort gives, and every row moves whole (see
// ListView::SwapRows; onRowsSwapped lets a window's hidden lists follow).
#include "ui/list_view.h"

namespace vantrel::ui {

void SortListByColumn(ListView& list, int column);

}  // namespace vantrel::ui
