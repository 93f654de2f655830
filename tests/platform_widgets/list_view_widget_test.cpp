#include "platform_widgets/dialog_template.h"
#include "platform_widgets/list_view_widget.h"

#include "modal_test_support.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStyleFactory>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>
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

// A shown list of 12 rows in three columns (left, centred, right), whose
// texts and selection take other colours when inactive or disabled.
void ShowList(ListViewWidget &view) {
    QPalette palette = view.palette();
    for (const auto &[group, shade] :
         {std::pair(QPalette::Active, 0), std::pair(QPalette::Inactive, 70),
          std::pair(QPalette::Disabled, 140)}) {
        palette.setColor(group, QPalette::Text, QColor(shade, 0, 0));
        palette.setColor(group, QPalette::HighlightedText, QColor(255, 255, shade));
        palette.setColor(group, QPalette::Highlight, QColor(0, shade, 200));
    }
    view.setPalette(palette);
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int column = 0; column < 3; ++column)
        view.Cells().SetColumn(column, QString::number(column),
                               alignments[column] | Qt::AlignVCenter);
    for (int row = 0; row < 12; ++row) {
        view.Cells().InsertRow(row, QString::number(100.0 + 7.37 * row, 'f', 2));
        view.Cells().SetText(row, 1, QStringLiteral("1970 - Trim %1").arg(row % 4 + 1));
        view.Cells().SetText(row, 2, QString::number(row));
        view.setColumnWidth(row % 3, 110);
    }
    view.resize(360, 220);
    view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
}

TEST_F(ListViewWidgetTest, CellsArePaintedExactlyAsTheStylePaintsThem) {
    QWidget other;
    const std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("windows")));
    const std::pair<const char *, std::function<void(ListViewWidget &)>> cases[] = {
        {"plain rows", [](ListViewWidget &) {}},
        {"selected rows, the current one focused",
         [](ListViewWidget &v) {
             v.SetRowSelected(1, true);
             v.SetRowSelected(4, true);
             v.setFocus();
             v.setCurrentIndex(v.Cells().index(4, 0));
         }},
        {"texts too long, on two lines, empty",
         [](ListViewWidget &v) {
             v.Cells().SetText(0, 0, QStringLiteral("1234567890,12345678 et encore"));
             v.Cells().SetText(1, 1, QStringLiteral("deux\nlignes"));
             v.Cells().SetText(2, 2, QString());
         }},
        {"an inactive window",
         [&other](ListViewWidget &v) {
             v.SetRowSelected(2, true);
             other.show();
             other.activateWindow();
             EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
         }},
        {"a disabled list",
         [](ListViewWidget &v) {
             v.SetRowSelected(3, true);
             v.setEnabled(false);
         }},
        {"right to left", [](ListViewWidget &v) { v.setLayoutDirection(Qt::RightToLeft); }},
        {"the windows style",
         [&windows](ListViewWidget &v) {
             v.setStyle(windows.get());
             v.SetRowSelected(1, true);
         }},
        {"a cell being edited", [](ListViewWidget &v) { EXPECT_TRUE(v.EditLabel(5)); }},
    };
    for (const auto &[what, change] : cases) {
        SCOPED_TRACE(what);
        ListViewWidget view(WS_BORDER | LVS_EDITLABELS, nullptr);
        ShowList(view);
        change(view);
        QAbstractItemDelegate *own = view.itemDelegate();
        const QImage painted = view.grab().toImage();
        QStyledItemDelegate styles;
        view.setItemDelegate(&styles);
        EXPECT_TRUE(painted == view.grab().toImage());
        view.setItemDelegate(own);
    }
}

} // namespace
