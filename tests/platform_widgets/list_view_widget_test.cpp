#include "platform_widgets/dialog_template.h"
#include "platform_widgets/list_view_widget.h"

#include "support/modal_test_support.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStyleFactory>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>
#include <utility>

namespace {

class ListViewWidgetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

TEST_F(ListViewWidgetTest, RowsAddedWhileHiddenReachTheViewTogether) {
    ListViewWidget view(WS_BORDER, nullptr);
    ListViewModel &cells = view.Cells();
    cells.SetColumn(0, QStringLiteral("Indices"), Qt::AlignLeft);
    cells.SetColumn(1, QStringLiteral("Trimestre"), Qt::AlignHCenter);
    QString told; // what the view was told: "+first-last" and "~row" for a change
    QObject::connect(&cells, &QAbstractItemModel::rowsInserted, &view,
                     [&](const QModelIndex &, int first, int last) {
                         told += QStringLiteral(" +%1-%2").arg(first).arg(last);
                     });
    QObject::connect(&cells, &QAbstractItemModel::dataChanged, &view, [&](const QModelIndex &cell) {
        told += QStringLiteral(" ~%1").arg(cell.row());
    });
    const auto append = [&cells](int count) {
        for (int i = 0; i < count; ++i) // past the end: appended
            cells.SetText(cells.InsertRow(cells.Rows() + 5, QString::number(cells.Rows())), 1,
                          QStringLiteral("x"));
    };
    const std::pair<std::function<void()>, const char *> steps[] = {
        {[&] { append(100); }, ""}, // hidden
        {[&] { view.show(); }, " +0-99"},
        {[&] { cells.InsertRow(50, QStringLiteral("new")); }, " +0-99 +50-50"},
        {[&] { cells.SetText(3, 1, QStringLiteral("x")); }, " +0-99 +50-50"}, // unchanged
        {[&] { cells.SetText(3, 1, QStringLiteral("y")); }, " +0-99 +50-50 ~3"},
        {[&] { view.hide(), append(2); }, " +0-99 +50-50 ~3"},
        {[&] { view.SetRowSelected(102, true); }, " +0-99 +50-50 ~3 +101-102"},
        {[&] { view.show(), append(1); }, " +0-99 +50-50 ~3 +101-102 +103-103 ~103"},
    };
    for (const auto &[act, expected] : steps) {
        act();
        EXPECT_EQ(told.toStdString(), expected);
    }
    EXPECT_EQ(cells.rowCount(), 104);
    EXPECT_EQ((cells.Text(51, 0) + cells.Text(51, 1) + cells.Text(51, 2)).toStdString(), "50x");
    EXPECT_TRUE(view.IsRowSelected(102));
    EXPECT_FALSE(cells.SetText(104, 0, QStringLiteral("x"))) << "no such row";
}

TEST_F(ListViewWidgetTest, CellsArePaintedExactlyAsTheStylePaintsThem) {
    QWidget other;
    const std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("windows")));
    const std::pair<const char *, std::function<void(ListViewWidget &)>> cases[] = {
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
         [](ListViewWidget &v) { v.SetRowSelected(3, true), v.setEnabled(false); }},
        {"right to left", [](ListViewWidget &v) { v.setLayoutDirection(Qt::RightToLeft); }},
        {"the windows style",
         [&windows](ListViewWidget &v) { v.setStyle(windows.get()), v.SetRowSelected(1, true); }},
        {"a cell being edited", [](ListViewWidget &v) { EXPECT_TRUE(v.EditLabel(5)); }},
    };
    for (const auto &[what, change] : cases) {
        SCOPED_TRACE(what);
        // 12 rows in three columns (left, centred, right), in colours that
        // differ when the list is inactive or disabled.
        ListViewWidget view(WS_BORDER | LVS_EDITLABELS, nullptr);
        QPalette palette = view.palette();
        for (const auto &[group, shade] :
             {std::pair(QPalette::Active, 0), std::pair(QPalette::Inactive, 70),
              std::pair(QPalette::Disabled, 140)}) {
            palette.setColor(group, QPalette::Text, QColor(shade, 0, 0));
            palette.setColor(group, QPalette::HighlightedText, QColor(255, 255, shade));
            palette.setColor(group, QPalette::Highlight, QColor(0, shade, 200));
        }
        view.setPalette(palette);
        for (const Qt::Alignment align : {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight})
            view.setColumnWidth(view.Cells().SetColumn(3, QString(), align | Qt::AlignVCenter),
                                110);
        for (int row = 0; row < 12; ++row) {
            view.Cells().InsertRow(row, QString::number(100.0 + 7.37 * row, 'f', 2));
            view.Cells().SetText(row, 1, QStringLiteral("1970 - Trim %1").arg(row % 4 + 1));
            view.Cells().SetText(row, 2, QString::number(row));
        }
        view.resize(360, 220);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
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
