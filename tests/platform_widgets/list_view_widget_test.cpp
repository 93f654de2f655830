#include "platform_widgets/dialog_template.h"
#include "platform_widgets/list_view_widget.h"

#include "modal_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

class ListViewWidgetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

TEST_F(ListViewWidgetTest, RowsAddedWhileHiddenReachTheViewTogether) {
    ListViewWidget view(WS_BORDER | LVS_EDITLABELS, nullptr);
    ListViewModel &cells = view.Cells();
    cells.SetColumn(0, QStringLiteral("Indices"), Qt::AlignLeft);
    cells.SetColumn(1, QStringLiteral("Trimestre"), Qt::AlignHCenter);
    std::vector<std::pair<int, int>> insertions;
    QObject::connect(
        &cells, &QAbstractItemModel::rowsInserted, &view,
        [&](const QModelIndex &, int first, int last) { insertions.emplace_back(first, last); });
    int changes = 0;
    QObject::connect(&cells, &QAbstractItemModel::dataChanged, &view, [&] { ++changes; });
    const auto append = [&cells](int count) {
        for (int i = 0; i < count; ++i) {
            const int row = cells.InsertRow(cells.Rows() + 5, QString::number(cells.Rows()));
            cells.SetText(row, 1, QStringLiteral("t%1").arg(row));
        }
    };
    struct Step {
        const char *what;
        std::function<void()> act;
        int rowsShown; // the rows the view knows of afterwards
        int changes;   // dataChanged signals so far
    };
    const Step steps[] = {
        {"100 rows filled while hidden", [&] { append(100); }, 0, 0},
        {"shown", [&] { view.show(); }, 100, 0},
        {"a row inserted among them", [&] { cells.InsertRow(50, QStringLiteral("new")); }, 101, 0},
        {"a shown cell changed, then set to the same text",
         [&] {
             cells.SetText(3, 1, QStringLiteral("x"));
             cells.SetText(3, 1, QStringLiteral("x"));
         },
         101, 1},
        {"hidden, two rows appended",
         [&] {
             view.hide();
             append(2);
         },
         101, 1},
        {"the last row selected", [&] { view.SetRowSelected(102, true); }, 103, 1},
        {"shown again", [&] { view.show(); }, 103, 1},
        {"a row appended while shown", [&] { append(1); }, 104, 2},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(cells.rowCount(), step.rowsShown);
        EXPECT_EQ(changes, step.changes);
    }
    const std::vector<std::pair<int, int>> expected = {{0, 99}, {50, 50}, {101, 102}, {103, 103}};
    EXPECT_EQ(insertions, expected);
    EXPECT_EQ(cells.Rows(), 104);
    EXPECT_EQ(cells.Text(50, 0), QStringLiteral("new"));
    EXPECT_EQ(cells.Text(51, 0), QStringLiteral("50"));
    EXPECT_EQ(cells.Text(51, 1), QStringLiteral("t50"));
    EXPECT_EQ(cells.Text(51, 2), QString()) << "no third column";
    EXPECT_TRUE(view.IsRowSelected(102));
    EXPECT_FALSE(cells.SetText(104, 0, QStringLiteral("x"))) << "no such row";
}

} // namespace
