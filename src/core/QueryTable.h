#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The transaction query table: which columns exist under the refund and item switches, how many rows
// a page needs, and where the paging buttons and the typed page lead.
namespace querytable {

// The rows the table shows even when the page is shorter; a longer page adds rows, never hides any.
constexpr int kMinimumRows = 25;
int rowCount(int orders);

struct ColumnLayout
{
    QStringList captions;  // left to right
    QVector<int> widths;   // of every column but the last, which stretches
    int refundColumn = -1; // the "退款" buttons; -1 when refunds are off
    int itemColumn = -1;   // the item buttons; -1 when items are off
    int reprintColumn = 0; // the "重打印" buttons, always the last column
    int columnCount() const { return int(captions.size()); }
};

// Six order columns, then "退款" (refunds on), the item column captioned `itemName` (items on) and
// "重打印": 7, 8 or 9 columns.
ColumnLayout columnLayout(bool refundEnabled, bool cardEnabled, const QString& itemName);

// The page "上一页" asks for, or 0 on the first page.
int previousPage(int currentPage);
// The page "下一页" asks for, or 0 when the current page is the last (or no total is known).
int nextPage(int currentPage, int totalPages);
// Whether the page label may show `page`: 1 up to the total.
bool pageInRange(int page, int totalPages);

// The typed page of "查询的页码", checked against the total: either a page to ask for, or the text of
// the warning to show instead (title "错误提示").
struct PageJump
{
    int page = 0;
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};
PageJump jumpToPage(const QString& typed, int totalPages);

} // namespace querytable
