#include "core/QueryTable.h"

#include <climits>

namespace querytable {

int rowCount(int orders)
{
    return qMax(kMinimumRows, orders);
}

ColumnLayout columnLayout(bool refundEnabled, bool cardEnabled, const QString& itemName)
{
    ColumnLayout layout;
    layout.captions = QStringList{QStringLiteral("系统单号"), QStringLiteral("交易金额"), QStringLiteral("退款金额"),
                                  QStringLiteral("支付方式"), QStringLiteral("交易状态"), QStringLiteral("交易时间")};
    if (refundEnabled) {
        layout.refundColumn = layout.columnCount();
        layout.captions << QStringLiteral("退款");
    }
    if (cardEnabled) {
        layout.itemColumn = layout.columnCount();
        layout.captions << itemName;
    }
    layout.reprintColumn = layout.columnCount();
    layout.captions << QStringLiteral("重打印");

    // The order number and the time need room; the buttons do with a narrow column.
    for (int column = 0; column < layout.columnCount() - 1; ++column)
        layout.widths << (column == 0 ? 200 : column == 5 ? 140 : 70);
    return layout;
}

int previousPage(int currentPage)
{
    return currentPage > 1 ? currentPage - 1 : 0;
}

int nextPage(int currentPage, int totalPages)
{
    return currentPage < totalPages ? currentPage + 1 : 0;
}

bool pageInRange(int page, int totalPages)
{
    return page > 0 && page <= totalPages;
}

PageJump jumpToPage(const QString& typed, int totalPages)
{
    const QString text = typed.trimmed();
    bool number = !text.isEmpty();
    qint64 page = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            number = false;
            break;
        }
        // Digits past any real page count only need to stay "too large".
        page = qMin<qint64>(page * 10 + (c.unicode() - '0'), qint64(INT_MAX) + 1);
    }
    if (!number)
        return {0, QStringLiteral("请输入查询的页码")};
    // Page 0 would fetch the first page while the page label still named another.
    if (page == 0)
        return {0, QStringLiteral("查询的页码必须大于0")};
    if (page > totalPages)
        return {0, QStringLiteral("查询的页码大于总页码")};
    return {int(page), QString()};
}

} // namespace querytable
