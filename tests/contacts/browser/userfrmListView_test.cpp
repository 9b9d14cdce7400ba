#include "browser/BrowserTestSupport.h"

#include "contacts/browser/userfrmListView.h"

#include <QListView>

namespace {

std::vector<TListRow> Rows(const QStringList &captions)
{
    std::vector<TListRow> rows;
    for (const QString &caption : captions) {
        TListRow row;
        row.caption = caption;
        rows.push_back(std::move(row));
    }
    return rows;
}

// In the icon styles every caption stays inside its cell of the grid, however long the name:
// no item reaches into its neighbour's.
TEST(ContactListView, CaptionsStayInsideTheirCells)
{
    const QString longName = QStringLiteral("欧阳一个名字很长很长很长很长很长的联系人");
    const QStringList captions = {"张三", longName, "李四", longName + longName, "王五", "赵六", "A", longName};
    for (int style : {0, 1}) {
        SCOPED_TRACE(style);
        TContactListView list;
        list.resize(640, 400);
        list.Model()->SetRows(Rows(captions));
        list.SetViewStyle(style);
        list.show();
        QCoreApplication::processEvents();
        QListView *view = list.IconView();
        const QSize grid = view->gridSize();
        ASSERT_TRUE(grid.isValid());
        std::vector<QRect> rects;
        for (int row = 0; row < captions.size(); ++row) {
            const QRect item = view->visualRect(list.Model()->index(row, 0));
            // Everything fits without scrolling, so the grid starts at the viewport's corner.
            const QPoint at = item.topLeft();
            const QRect cell(QPoint(at.x() / grid.width() * grid.width(), at.y() / grid.height() * grid.height()), grid);
            EXPECT_TRUE(cell.contains(item)) << row;
            for (const QRect &other : rects)
                EXPECT_FALSE(other.intersects(item)) << row;
            rects.push_back(item);
        }
    }
}

} // namespace
