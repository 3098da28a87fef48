#pragma once
// A report-style list view with a 16 x 16 image list (for the first column
// and, when asked, for every cell), optional check boxes, a hit test that
// names the sub-item (column) under a point, mouse-down of any button on a
// cell, and row exchange that carries everything a row holds.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/window.h"

namespace vantrel::ui {

struct ListViewOptions {
  bool gridLines = true;
  bool fullRowSelect = true;
  bool checkBoxes = false;
  bool multiSelect = false;
  bool images = true;  // a 16 x 16 small-image list
  bool subItemImages = false;  // every cell can show an image of that list
};

struct ListHit {
  int item = -1;     // -1: no row
  int subItem = -1;  // the column index under the point
  bool onCheckBox = false;
};

class ListView : public Control {
 public:
  ListView(Container& parent, const Rect& designed, const ListViewOptions& options = {});

  int AddColumn(const std::wstring& caption, int designedWidth, int format = LVCFMT_LEFT);
  int ColumnCount() const;
  std::wstring ColumnCaption(int column) const;
  void SetColumnCaption(int column, const std::wstring& caption);

  // An icon copied into the image list; its index, or -1.
  int AddImage(HICON icon);
  // The two tick-box pictures of the lists that tick cells by picture:
  // the empty box gets index kTickBoxEmpty, the ticked one kTickBoxTicked
  // (when the image list was empty before).
  static constexpr int kTickBoxEmpty = 0;
  static constexpr int kTickBoxTicked = 1;
  void AddTickBoxImages();

  // A row with the texts of its columns; its index.
  int AddItem(const std::vector<std::wstring>& texts, int image = -1, LPARAM data = 0);
  void SetItemText(int item, int column, const std::wstring& text);
  std::wstring ItemText(int item, int column) const;
  LPARAM ItemData(int item) const;
  void SetItemData(int item, LPARAM data);
  // The image of a cell (column 0: the row's image); -1 when it has none.
  int ItemImage(int item, int column = 0) const;
  void SetItemImage(int item, int column, int image);
  int Count() const;
  void DeleteItem(int item);
  void Clear();
  bool Checked(int item) const;
  void SetChecked(int item, bool checked);
  bool Selected(int item) const;
  void Select(int item);
  int SelectedIndex() const;  // the first selected row, or -1
  // Gives the row the focus mark (and the list the keyboard focus).
  void FocusItem(int item);
  void EnsureVisible(int item);

  // Exchanges two rows completely: every column's text and image, the check
  // box, the data, the selection and focus marks; then runs onRowsSwapped so
  // that lists a window keeps beside the rows can follow.
  void SwapRows(int a, int b);
  std::function<void(int a, int b)> onRowsSwapped;

  // Client coordinates of the list.
  ListHit HitTest(POINT client) const;
  // Sorts with the rows' indexes given to `compare` (LVM_SORTITEMSEX).
  void SortByIndex(PFNLVCOMPARE compare, LPARAM context);

  std::function<void(int column)> onColumnClick;
  std::function<void(const ListHit&)> onClick;       // left click, with what is under it
  std::function<void(const ListHit&)> onDoubleClick;
  std::function<void(int item)> onCheckChanged;  // a row was ticked or unticked (not on insertion)
  // Any mouse button pressed on the list (WM_LBUTTONDOWN, WM_RBUTTONDOWN or
  // WM_MBUTTONDOWN), with what lies under the point; runs after the list's
  // own handling of the press.
  std::function<void(const ListHit&, UINT buttonMessage)> onMouseDown;

  LRESULT OnNotify(NMHDR& header) override;
  ~ListView() override;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  HIMAGELIST images_ = nullptr;  // owned by the list view
};

// A 16 x 16 check box picture, empty or ticked, drawn as the system draws a
// flat check box on the window colour; null when it cannot be made. The
// caller destroys it.
HICON MakeTickBoxIcon(bool ticked);

}  // namespace vantrel::ui
