// Report-style list views: columns, rows, cells, selection, row icons and cell colours.

#include "platform/win32/win32_toolkit.hpp"

#include <algorithm>

namespace halvora::win32 {

namespace {

// Room a header item keeps around its text (its padding and divider).
constexpr int kHeaderTextMargin = 16;

std::wstring itemText(HWND list, int row, int column) {
    std::wstring text(256, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        if (n < static_cast<LRESULT>(text.size()) - 1 || text.size() >= (1u << 20)) {
            text.resize(static_cast<std::size_t>(std::max<LRESULT>(n, 0)));
            return text;
        }
        text.resize(text.size() * 4);
    }
}

COLORREF orDefault(std::int32_t colour, COLORREF standard) {
    return colour == kDefaultColour ? standard : static_cast<COLORREF>(colour);
}

}  // namespace

void Win32Toolkit::addColumn(const ControlName& list, const std::wstring& title, int width) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return;
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = scale(width);
    column.pszText = const_cast<wchar_t*>(title.c_str());
    SendMessageW(hwnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(columnCount(list)), reinterpret_cast<LPARAM>(&column));
}

int Win32Toolkit::columnCount(const ControlName& list) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return 0;
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring Win32Toolkit::columnTitle(const ControlName& list, int column) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return {};
    wchar_t title[260] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = title;
    info.cchTextMax = 260;
    if (!SendMessageW(hwnd, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info))) return {};
    return title;
}

void Win32Toolkit::setColumnWidth(const ControlName& list, int column, int width) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return;
    if (width != kAutoSizeUseHeader) {
        SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width < 0 ? width : scale(width));
        return;
    }
    // The list view gives its last column whatever room is left instead of fitting it, which is
    // nothing once the other columns fill the view; and some list views come out a little short
    // of the header text. So the content is fitted and the header's own width is the least.
    const bool last = column == columnCount(list) - 1;
    SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 last ? LVSCW_AUTOSIZE : LVSCW_AUTOSIZE_USEHEADER);
    const std::wstring title = columnTitle(list, column);
    const int headerWidth =
        static_cast<int>(SendMessageW(hwnd, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(title.c_str()))) +
        scale(kHeaderTextMargin);
    const int fitted = static_cast<int>(SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    if (fitted < headerWidth) SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), headerWidth);
}

int Win32Toolkit::columnWidth(const ControlName& list, int column) {
    HWND hwnd = handleOf(list);
    return hwnd ? unscale(static_cast<int>(SendMessageW(hwnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0))) : 0;
}

void Win32Toolkit::setColumnAlignment(const ControlName& list, int column, ColumnAlign align) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return;
    LVCOLUMNW info{};
    info.mask = LVCF_FMT;
    info.fmt = align == ColumnAlign::Right ? LVCFMT_RIGHT : align == ColumnAlign::Centre ? LVCFMT_CENTER : LVCFMT_LEFT;
    SendMessageW(hwnd, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
}

ColumnAlign Win32Toolkit::columnAlignment(const ControlName& list, int column) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return ColumnAlign::Left;
    LVCOLUMNW info{};
    info.mask = LVCF_FMT;
    if (!SendMessageW(hwnd, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)))
        return ColumnAlign::Left;
    switch (info.fmt & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT:
            return ColumnAlign::Right;
        case LVCFMT_CENTER:
            return ColumnAlign::Centre;
        default:
            return ColumnAlign::Left;
    }
}

int Win32Toolkit::addRow(const ControlName& list, const std::vector<std::wstring>& cells) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return -1;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = rowCount(list);
    item.iImage = I_IMAGENONE;
    item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
    const int row = static_cast<int>(SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return -1;
    for (std::size_t column = 1; column < cells.size(); ++column) {
        setCell(list, row, static_cast<int>(column), cells[column]);
    }
    return row;
}

void Win32Toolkit::deleteRow(const ControlName& list, int row) {
    ControlRecord* record = findControl(list);
    if (!record || !SendMessageW(record->hwnd, LVM_DELETEITEM, static_cast<WPARAM>(row), 0)) return;
    // Cell colours belong to rows: the rows below move up one.
    std::lock_guard lock(namesMutex_);
    std::map<std::pair<int, int>, CellColours> moved;
    for (auto& [at, colours] : record->cellColours) {
        if (at.first < row)
            moved[at] = colours;
        else if (at.first > row)
            moved[{at.first - 1, at.second}] = colours;
    }
    record->cellColours = std::move(moved);
}

void Win32Toolkit::deleteAllRows(const ControlName& list) {
    ControlRecord* record = findControl(list);
    if (!record) return;
    SendMessageW(record->hwnd, LVM_DELETEALLITEMS, 0, 0);
    std::lock_guard lock(namesMutex_);
    record->cellColours.clear();
}

int Win32Toolkit::rowCount(const ControlName& list) {
    HWND hwnd = handleOf(list);
    return hwnd ? static_cast<int>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring Win32Toolkit::cell(const ControlName& list, int row, int column) {
    HWND hwnd = handleOf(list);
    return hwnd ? itemText(hwnd, row, column) : std::wstring{};
}

void Win32Toolkit::setCell(const ControlName& list, int row, int column, const std::wstring& text) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return;
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(hwnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int Win32Toolkit::selectedRow(const ControlName& list) {
    HWND hwnd = handleOf(list);
    return hwnd ? static_cast<int>(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void Win32Toolkit::selectRow(const ControlName& list, int row) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    // Row -1 addresses every row: the selection is cleared.
    SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void Win32Toolkit::ensureRowVisible(const ControlName& list, int row) {
    if (HWND hwnd = handleOf(list)) SendMessageW(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int Win32Toolkit::addListIcon(const ControlName& list, const std::wstring& file, int index) {
    ControlRecord* record = findControl(list);
    if (!record) return -1;
    const int size = GetSystemMetrics(SM_CXSMICON);
    UniqueIcon icon{extractIcon(file, index, size)};
    if (!icon) return -1;
    HIMAGELIST images = nullptr;
    {
        std::lock_guard lock(namesMutex_);
        images = record->images.get();
    }
    if (!images) {
        // The search worker adds the first icon, and LVM_SETIMAGELIST sent from there waits for
        // the interface thread, which takes the name lock whenever it paints the list or
        // handles a control's message: the list is made and attached with the lock free.
        UniqueImageList made{ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4)};
        if (!made) return -1;
        bool attach = false;
        {
            std::lock_guard lock(namesMutex_);
            if (!record->images) {
                record->images = std::move(made);
                attach = true;
            }
            images = record->images.get();
        }
        // Had another thread been first, its list is kept and `made` is destroyed at the end of
        // this block, outside the lock.
        if (attach) SendMessageW(record->hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
    return ImageList_AddIcon(images, icon.get());  // the image list keeps its own copy
}

void Win32Toolkit::setRowIcon(const ControlName& list, int row, int icon) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = icon < 0 ? I_IMAGENONE : icon;
    SendMessageW(hwnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int Win32Toolkit::rowIcon(const ControlName& list, int row) {
    HWND hwnd = handleOf(list);
    if (!hwnd) return -1;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!SendMessageW(hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return item.iImage < 0 ? -1 : item.iImage;
}

void Win32Toolkit::setCellColours(const ControlName& list, int row, int column, std::int32_t text,
                                  std::int32_t background) {
    ControlRecord* record = findControl(list);
    if (!record) return;
    {
        std::lock_guard lock(namesMutex_);
        if (text == kDefaultColour && background == kDefaultColour) {
            record->cellColours.erase({row, column});
        } else {
            record->cellColours[{row, column}] = CellColours{text, background};
        }
    }
    RECT area{};
    area.left = LVIR_BOUNDS;
    if (SendMessageW(record->hwnd, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&area))) {
        InvalidateRect(record->hwnd, &area, TRUE);
    }
}

std::pair<std::int32_t, std::int32_t> Win32Toolkit::cellColours(const ControlName& list, int row, int column) {
    ControlRecord* record = findControl(list);
    if (!record) return {kDefaultColour, kDefaultColour};
    std::lock_guard lock(namesMutex_);
    auto it = record->cellColours.find({row, column});
    if (it == record->cellColours.end()) return {kDefaultColour, kDefaultColour};
    return {it->second.text, it->second.background};
}

LRESULT Win32Toolkit::customDrawList(ControlRecord& list, NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            CellColours colours;
            {
                std::lock_guard lock(namesMutex_);
                auto it = list.cellColours.find({static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem});
                if (it != list.cellColours.end()) colours = it->second;
            }
            // Every cell is set: a colour given to one cell would otherwise run on into the next.
            draw->clrText =
                orDefault(colours.text, static_cast<COLORREF>(SendMessageW(list.hwnd, LVM_GETTEXTCOLOR, 0, 0)));
            draw->clrTextBk =
                orDefault(colours.background, static_cast<COLORREF>(SendMessageW(list.hwnd, LVM_GETTEXTBKCOLOR, 0, 0)));
            return CDRF_DODEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

}  // namespace halvora::win32
