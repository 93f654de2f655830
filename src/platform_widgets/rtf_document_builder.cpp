#include "platform_widgets/rtf_document_builder.h"

#include "platform_widgets/rtf_reader.h"

#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLength>
#include <QTextTable>
#include <QTextTableFormat>

#include <algorithm>

namespace {

constexpr int kMaxFonts = 1024;
constexpr int kMaxRowGapTwips = 1440;
constexpr int kMaxBorderTwips = 300;

// Replaces each surrogate that is not part of a pair with U+FFFD.
void MendSurrogates(QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (ch.isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
}

} // namespace

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument &doc)
    : m_doc(doc)
    , m_cursor(&doc) {}

void RtfDocumentBuilder::InsertText(QString text, const RtfStyle &style) {
    PlaceCursor(style);
    BreakIfPending(style);
    MendSurrogates(text);
    m_cursor.insertText(text, CharFormat(style.chars));
}

void RtfDocumentBuilder::EndParagraph(const RtfStyle &style) {
    PlaceCursor(style);
    BreakIfPending(style);
    ApplyBlockFormat(style);
    m_pendingBreak = true;
}

bool RtfDocumentBuilder::EndCell(const RtfStyle &style) {
    if (!EnterCell())
        return false;
    ApplyBlockFormat(style);
    MoveToCell(m_column + 1);
    return true;
}

void RtfDocumentBuilder::EndRow(const RtfStyle &style) {
    if (EnterCell(false))
        m_rowOpen = false;
    else
        EndParagraph(style);
}

void RtfDocumentBuilder::FinishLastParagraph(const RtfStyle &style) {
    if (!m_table && !m_pendingBreak)
        ApplyBlockFormat(style);
}

void RtfDocumentBuilder::AddFont(int number, const QString &name) {
    if (m_fonts.size() < static_cast<size_t>(kMaxFonts) || m_fonts.count(number) != 0)
        m_fonts[number] = name;
}

void RtfDocumentBuilder::SetDefaultTab(int twips) {
    if (twips > 0) {
        QTextOption option = m_doc.defaultTextOption();
        option.setTabStopDistance(RtfPixels(std::min(twips, kRtfMaxTwips)));
        m_doc.setDefaultTextOption(option);
    }
}

void RtfDocumentBuilder::ResetRowDefinition() {
    m_rowDef = RowDef();
    m_rowDefChanged = true;
    m_pendingCellBorder = false;
    m_borderTarget = RtfBorderTarget::None;
}

void RtfDocumentBuilder::SetRowGap(int twips) {
    m_rowDef.gap = std::clamp(twips, 0, kMaxRowGapTwips);
    m_rowDefChanged = true;
}

void RtfDocumentBuilder::SetRowLeft(int twips) {
    m_rowDef.left = std::clamp(twips, -kRtfMaxTwips, kRtfMaxTwips);
    m_rowDefChanged = true;
}

void RtfDocumentBuilder::AddCellBoundary(int twips) {
    if (m_rowDef.cells.size() < kRtfMaxTableColumns)
        m_rowDef.cells.append(
            CellDef{std::clamp(twips, -kRtfMaxTwips, kRtfMaxTwips), m_pendingCellBorder});
    m_pendingCellBorder = false;
    m_borderTarget = RtfBorderTarget::None;
    m_rowDefChanged = true;
}

void RtfDocumentBuilder::SetBorderTarget(RtfBorderTarget target) {
    m_borderTarget = target;
}

void RtfDocumentBuilder::SetBorderStyle() {
    if (m_borderTarget == RtfBorderTarget::Cell)
        m_pendingCellBorder = true;
    else if (m_borderTarget == RtfBorderTarget::Row)
        m_rowDef.bordered = true;
    m_rowDefChanged = true;
}

void RtfDocumentBuilder::SetBorderWidth(int twips) {
    if (m_borderTarget == RtfBorderTarget::Cell || m_borderTarget == RtfBorderTarget::Row)
        m_rowDef.borderWidth =
            std::max(m_rowDef.borderWidth, std::clamp(twips, 0, kMaxBorderTwips));
}

// Puts the cursor in the current table cell for a paragraph marked as part of
// a table, or after the table for any other.
void RtfDocumentBuilder::PlaceCursor(const RtfStyle &style) {
    if (style.para.inTable && EnterCell())
        return;
    if (m_table)
        LeaveTable();
}

void RtfDocumentBuilder::BreakIfPending(const RtfStyle &style) {
    if (m_pendingBreak) {
        m_pendingBreak = false;
        m_cursor.insertBlock(BlockFormat(style.para), CharFormat(style.chars));
    }
}

// Makes sure the current row exists, creating the table or its next row, and,
// for content, that the cursor is in the current cell, adding a column when a
// row has more cells than defined. False when the table limits are
// reached: the content then goes on as plain paragraphs.
bool RtfDocumentBuilder::EnterCell(bool forContent) {
    const int wanted = std::max(1, static_cast<int>(m_rowDef.cells.size()));
    if (m_table && !m_rowOpen) {
        const int columns = std::max(m_table->columns(), wanted);
        if ((m_table->rows() + 1) * columns > kRtfMaxCellsPerTable)
            LeaveTable(); // a very long table goes on in a new one
    }
    if (!m_table) {
        if (m_tableCells + wanted > kRtfMaxTableCells)
            return false;
        m_pendingBreak = false;
        m_table = m_cursor.insertTable(1, wanted, TableFormat(wanted));
        m_tableBordered = m_table->format().border() > 0;
        m_rowDefChanged = false;
        m_tableCells += wanted;
        m_row = 0;
        m_rowOpen = true;
        MoveToCell(0);
        return true;
    }
    if (!m_rowOpen) {
        const int columns = m_table->columns();
        if (m_tableCells + columns > kRtfMaxTableCells)
            return false;
        m_table->appendRows(1);
        m_tableCells += columns;
        ++m_row;
        m_rowOpen = true;
        if (wanted > columns &&
            m_tableCells + (wanted - columns) * (m_row + 1) <= kRtfMaxTableCells) {
            m_table->appendColumns(wanted - columns);
            m_tableCells += (wanted - columns) * (m_row + 1);
        }
        if (m_rowDefChanged) {
            m_table->setFormat(TableFormat(m_table->columns()));
            m_tableBordered = m_table->format().border() > 0;
            m_rowDefChanged = false;
        }
        MoveToCell(0);
        return true;
    }
    if (forContent && m_column >= m_table->columns()) {
        // More cells in the row than defined: add a column while allowed,
        // else the surplus goes into the last cell.
        const int rows = m_table->rows();
        if (m_column < kRtfMaxTableColumns &&
            (m_table->columns() + 1) * rows <= kRtfMaxCellsPerTable &&
            m_tableCells + rows <= kRtfMaxTableCells) {
            m_table->appendColumns(1);
            m_tableCells += rows;
        }
        MoveToCell(std::min(m_column, m_table->columns() - 1));
    }
    return true;
}

void RtfDocumentBuilder::MoveToCell(int column) {
    m_column = column;
    m_pendingBreak = false;
    if (column < m_table->columns())
        m_cursor = m_table->cellAt(m_row, column).lastCursorPosition();
}

void RtfDocumentBuilder::LeaveTable() {
    m_table = nullptr;
    m_tableBordered = false;
    m_rowOpen = false;
    m_pendingBreak = false;
    m_cursor = QTextCursor(&m_doc);
    m_cursor.movePosition(QTextCursor::End);
}

void RtfDocumentBuilder::ApplyBlockFormat(const RtfStyle &style) {
    m_cursor.setBlockFormat(BlockFormat(style.para));
}

QTextCharFormat RtfDocumentBuilder::CharFormat(const RtfCharState &chars) const {
    QTextCharFormat format;
    format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chars.italic);
    format.setFontUnderline(chars.underline);
    format.setFontStrikeOut(chars.strike);
    format.setFontPointSize(chars.halfPoints / 2.0);
    switch (chars.vertical) {
    case RtfVertical::Normal:
        format.setVerticalAlignment(QTextCharFormat::AlignNormal);
        break;
    case RtfVertical::Super:
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        break;
    case RtfVertical::Sub:
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        break;
    }
    const auto font = m_fonts.find(chars.font >= 0 ? chars.font : m_defaultFont);
    if (font != m_fonts.end())
        format.setFontFamilies(QStringList{font->second});
    return format;
}

QTextBlockFormat RtfDocumentBuilder::BlockFormat(const RtfParaState &para) {
    QTextBlockFormat format;
    format.setAlignment(para.alignment);
    format.setTopMargin(RtfPixels(para.spaceBefore));
    format.setBottomMargin(RtfPixels(para.spaceAfter));
    format.setLeftMargin(RtfPixels(para.leftIndent));
    format.setRightMargin(RtfPixels(para.rightIndent));
    format.setTextIndent(RtfPixels(para.firstIndent));
    if (!para.tabs.isEmpty())
        format.setTabPositions(para.tabs);
    return format;
}

QTextTableFormat RtfDocumentBuilder::TableFormat(int columns) const {
    bool bordered = m_tableBordered || m_rowDef.bordered;
    for (const CellDef &cell : m_rowDef.cells)
        bordered = bordered || cell.bordered;

    QTextTableFormat format;
    format.setCellSpacing(0);
    format.setCellPadding(RtfPixels(m_rowDef.gap));
    format.setBorderCollapse(true);
    format.setAlignment(Qt::AlignLeft);
    format.setLeftMargin(RtfPixels(std::max(m_rowDef.left, 0)));
    if (bordered) {
        format.setBorder(std::max(1.0, RtfPixels(m_rowDef.borderWidth)));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    } else {
        format.setBorder(0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    }
    // Cell boundaries are given from the left margin; each width is the step
    // from the previous boundary (the first from the row's left edge).
    QList<QTextLength> widths;
    int previous = m_rowDef.left;
    for (const CellDef &cell : m_rowDef.cells) {
        const int width = cell.right - previous;
        widths.append(width > 0 ? QTextLength(QTextLength::FixedLength, RtfPixels(width))
                                : QTextLength());
        previous = std::max(previous, cell.right);
    }
    while (widths.size() < columns)
        widths.append(QTextLength());
    widths.resize(columns);
    format.setColumnWidthConstraints(widths);
    return format;
}
