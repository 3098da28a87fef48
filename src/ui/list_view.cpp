#include "ui/list_view.h"

#include <algorithm>

namespace vantrel::ui {

ListView::ListView(Container& parent, const Rect& designed, const ListViewOptions& options) : Control(parent) {
  DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  if (!options.multiSelect) style |= LVS_SINGLESEL;
  CreateChild(WC_LISTVIEWW, L"", style, WS_EX_CLIENTEDGE, designed);
  if (!hwnd()) return;
  DWORD ex = LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
  if (options.gridLines) ex |= LVS_EX_GRIDLINES;
  if (options.fullRowSelect) ex |= LVS_EX_FULLROWSELECT;
  if (options.checkBoxes) ex |= LVS_EX_CHECKBOXES;
  if (options.subItemImages) ex |= LVS_EX_SUBITEMIMAGES;
  ListView_SetExtendedListViewStyle(hwnd(), ex);
  ::SetWindowSubclass(hwnd(), SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  if (options.images) {
    images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    if (images_) ListView_SetImageList(hwnd(), images_, LVSIL_SMALL);
  }
}

int ListView::AddColumn(const std::wstring& caption, int designedWidth, int format) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = format;
  column.cx = Scale(designedWidth);
  column.pszText = const_cast<wchar_t*>(caption.c_str());
  int index = ColumnCount();
  return static_cast<int>(::SendMessageW(hwnd(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(&column)));
}

ListView::~ListView() {
  if (hwnd() && ::IsWindow(hwnd())) ::RemoveWindowSubclass(hwnd(), SubclassProc, 1);
}

LRESULT CALLBACK ListView::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self) {
  if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, SubclassProc, id);
    return ::DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (msg != WM_LBUTTONDOWN && msg != WM_RBUTTONDOWN && msg != WM_MBUTTONDOWN) return ::DefSubclassProc(hwnd, msg, wp, lp);
  // The list's own handling first (selection, focus; for the left button its
  // drag detection, which returns when the button is released), then ours, so
  // that a message box shown by the handler does not sit inside that loop.
  POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  auto* list = reinterpret_cast<ListView*>(self);
  ListHit hit = list->HitTest(at);
  LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
  try {
    if (list->onMouseDown) list->onMouseDown(hit, msg);
  } catch (...) {
    // No exception leaves a window procedure.
  }
  return result;
}

int ListView::ColumnCount() const {
  HWND header = ListView_GetHeader(hwnd());
  return header ? Header_GetItemCount(header) : 0;
}

std::wstring ListView::ColumnCaption(int column) const {
  wchar_t buffer[512] = L"";
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = buffer;
  c.cchTextMax = 512;
  if (!::SendMessageW(hwnd(), LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c))) return {};
  return buffer;
}

void ListView::SetColumnCaption(int column, const std::wstring& caption) {
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = const_cast<wchar_t*>(caption.c_str());
  ::SendMessageW(hwnd(), LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
}

int ListView::AddImage(HICON icon) { return images_ && icon ? ImageList_AddIcon(images_, icon) : -1; }

void ListView::AddTickBoxImages() {
  for (bool ticked : {false, true}) {
    HICON icon = MakeTickBoxIcon(ticked);
    AddImage(icon);
    if (icon) ::DestroyIcon(icon);
  }
}

HICON MakeTickBoxIcon(bool ticked) {
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP color = ::CreateCompatibleBitmap(screen, 16, 16);
  HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, nullptr);
  ::ReleaseDC(nullptr, screen);
  HICON icon = nullptr;
  if (dc && color && mask) {
    HGDIOBJ old = ::SelectObject(dc, color);
    RECT all{0, 0, 16, 16};
    ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_WINDOW));
    RECT box{1, 1, 15, 15};
    ::DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (ticked ? DFCS_CHECKED : 0));
    ::SelectObject(dc, mask);
    ::PatBlt(dc, 0, 0, 16, 16, BLACKNESS);  // opaque everywhere
    ::SelectObject(dc, old);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = color;
    icon = ::CreateIconIndirect(&info);
  }
  if (color) ::DeleteObject(color);
  if (mask) ::DeleteObject(mask);
  if (dc) ::DeleteDC(dc);
  return icon;
}

int ListView::AddItem(const std::vector<std::wstring>& texts, int image, LPARAM data) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
  item.iItem = Count();
  item.iImage = image;
  item.lParam = data;
  std::wstring first = texts.empty() ? std::wstring() : texts[0];
  item.pszText = first.data();
  int index = static_cast<int>(::SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return index;
  for (size_t i = 1; i < texts.size(); ++i) SetItemText(index, static_cast<int>(i), texts[i]);
  return index;
}

void ListView::SetItemText(int item, int column, const std::wstring& text) {
  LVITEMW it{};
  it.iSubItem = column;
  it.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(hwnd(), LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
}

std::wstring ListView::ItemText(int item, int column) const {
  std::wstring buffer(1024, L'\0');
  for (;;) {
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = buffer.data();
    it.cchTextMax = static_cast<int>(buffer.size());
    auto length = static_cast<size_t>(
        ::SendMessageW(hwnd(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it)));
    if (length + 1 < buffer.size() || buffer.size() >= 65536) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
}

LPARAM ListView::ItemData(int item) const {
  LVITEMW it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  return ::SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it)) ? it.lParam : 0;
}

void ListView::SetItemData(int item, LPARAM data) {
  LVITEMW it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  it.lParam = data;
  ::SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
}

int ListView::ItemImage(int item, int column) const {
  LVITEMW it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  it.iSubItem = column;
  it.iImage = -1;
  return ::SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it)) ? it.iImage : -1;
}

void ListView::SetItemImage(int item, int column, int image) {
  LVITEMW it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  it.iSubItem = column;
  it.iImage = image;
  ::SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
}

void ListView::FocusItem(int item) {
  ::SetFocus(hwnd());
  ListView_SetItemState(hwnd(), item, LVIS_FOCUSED, LVIS_FOCUSED);
}

void ListView::EnsureVisible(int item) { ListView_EnsureVisible(hwnd(), item, FALSE); }

void ListView::SwapRows(int a, int b) {
  int count = Count();
  if (a == b || a < 0 || b < 0 || a >= count || b >= count) return;
  struct Row {
    std::vector<std::wstring> texts;
    std::vector<int> images;
    LPARAM data;
    UINT state;  // selection, focus, check box (state image)
  };
  const int columns = std::max(1, ColumnCount());
  auto take = [&](int item) {
    Row row;
    for (int c = 0; c < columns; ++c) {
      row.texts.push_back(ItemText(item, c));
      row.images.push_back(ItemImage(item, c));
    }
    row.data = ItemData(item);
    row.state = ListView_GetItemState(hwnd(), item, LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK);
    return row;
  };
  auto put = [&](int item, const Row& row) {
    for (int c = 0; c < columns; ++c) {
      SetItemText(item, c, row.texts[static_cast<size_t>(c)]);
      SetItemImage(item, c, row.images[static_cast<size_t>(c)]);
    }
    SetItemData(item, row.data);
    ListView_SetItemState(hwnd(), item, row.state, LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK);
  };
  // Check changes made by the exchange are not the user's: keep them quiet.
  auto quiet = std::move(onCheckChanged);
  Row first = take(a), second = take(b);
  put(a, second);
  put(b, first);
  onCheckChanged = std::move(quiet);
  if (onRowsSwapped) onRowsSwapped(a, b);
}

int ListView::Count() const { return hwnd() ? ListView_GetItemCount(hwnd()) : 0; }
void ListView::DeleteItem(int item) { ListView_DeleteItem(hwnd(), item); }
void ListView::Clear() { ListView_DeleteAllItems(hwnd()); }

bool ListView::Checked(int item) const { return ListView_GetCheckState(hwnd(), item) != 0; }
void ListView::SetChecked(int item, bool checked) { ListView_SetCheckState(hwnd(), item, checked ? TRUE : FALSE); }
bool ListView::Selected(int item) const { return ListView_GetItemState(hwnd(), item, LVIS_SELECTED) != 0; }
void ListView::Select(int item) {
  ListView_SetItemState(hwnd(), item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
int ListView::SelectedIndex() const { return ListView_GetNextItem(hwnd(), -1, LVNI_SELECTED); }

ListHit ListView::HitTest(POINT client) const {
  LVHITTESTINFO info{};
  info.pt = client;
  ListHit hit;
  if (ListView_SubItemHitTest(hwnd(), &info) >= 0 && info.iItem >= 0) {
    hit.item = info.iItem;
    hit.subItem = info.iSubItem;
    hit.onCheckBox = (info.flags & LVHT_ONITEMSTATEICON) != 0;
  }
  return hit;
}

void ListView::SortByIndex(PFNLVCOMPARE compare, LPARAM context) {
  ::SendMessageW(hwnd(), LVM_SORTITEMSEX, static_cast<WPARAM>(context), reinterpret_cast<LPARAM>(compare));
}

LRESULT ListView::OnNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_COLUMNCLICK:
      if (onColumnClick) onColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
      break;
    case NM_CLICK:
    case NM_DBLCLK: {
      auto& activate = reinterpret_cast<NMITEMACTIVATE&>(header);
      auto& handler = header.code == NM_CLICK ? onClick : onDoubleClick;
      if (handler) handler(HitTest(activate.ptAction));
      break;
    }
    case LVN_ITEMCHANGED: {
      auto& change = reinterpret_cast<NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) &&
          (change.uOldState & LVIS_STATEIMAGEMASK) && change.iItem >= 0 && onCheckChanged)
        onCheckChanged(change.iItem);
      break;
    }
  }
  return 0;
}

}  // namespace vantrel::ui
