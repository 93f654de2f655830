#pragma once

// Private to the Rich Text reader: writes what it reads into the document,
// paragraphs, runs of text and tables, in the style of the group being read.

#include "platform_widgets/rtf_style.h"

#include <QList>
#include <QString>
#include <QTextCursor>

#include <map>

class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;
class QTextTable;
class QTextTableFormat;

// The border that the border words which follow describe.
enum class RtfBorderTarget { None, Cell, Row, Other };

// Builds the content at the end of a document. Tables come from the row
// definition in force when a paragraph marked as part of a table starts; they
// stay within the table limits of the reader, beyond which their content goes
// on as plain paragraphs.
class RtfDocumentBuilder {
public:
    explicit RtfDocumentBuilder(QTextDocument &doc);

    // Inserts a run of text in `style`, in the current cell for a paragraph
    // of a table, else after the table.
    void InsertText(QString text, const RtfStyle &style);
    void EndParagraph(const RtfStyle &style);
    // Ends the current cell; false, with nothing done, when the table limits
    // allow no cell.
    bool EndCell(const RtfStyle &style);
    void EndRow(const RtfStyle &style);
    // Gives the last paragraph, left without a paragraph mark, `style`.
    void FinishLastParagraph(const RtfStyle &style);

    // Font `number` of the font table is called `name`.
    void AddFont(int number, const QString &name);
    void SetDefaultFont(int number) { m_defaultFont = number; }
    void SetDefaultTab(int twips);

    // The row definition, which applies to the rows that follow.
    void ResetRowDefinition();
    void SetRowGap(int twips);
    void SetRowLeft(int twips);
    // The right boundary of the next cell, from the left margin.
    void AddCellBoundary(int twips);
    void SetBorderTarget(RtfBorderTarget target);
    // The border being described is drawn (in any line style).
    void SetBorderStyle();
    void SetBorderWidth(int twips);

private:
    struct CellDef {
        int right = 0; // twips from the left margin
        bool bordered = false;
    };
    struct RowDef {
        QList<CellDef> cells;
        int gap = 0;
        int left = 0;
        int borderWidth = 0;
        bool bordered = false;
    };

    void PlaceCursor(const RtfStyle &style);
    void BreakIfPending(const RtfStyle &style);
    bool EnterCell(bool forContent = true);
    void MoveToCell(int column);
    void LeaveTable();
    void ApplyBlockFormat(const RtfStyle &style);
    QTextCharFormat CharFormat(const RtfCharState &chars) const;
    static QTextBlockFormat BlockFormat(const RtfParaState &para);
    QTextTableFormat TableFormat(int columns) const;

    QTextDocument &m_doc;
    QTextCursor m_cursor;
    // A paragraph has ended but its successor is only created when content
    // follows, so that a table or the end of the document comes right after it.
    bool m_pendingBreak = false;

    std::map<int, QString> m_fonts;
    int m_defaultFont = 0;

    RowDef m_rowDef;
    bool m_rowDefChanged = false;
    bool m_pendingCellBorder = false;
    RtfBorderTarget m_borderTarget = RtfBorderTarget::None;
    QTextTable *m_table = nullptr;
    int m_row = 0;
    int m_column = 0;
    bool m_rowOpen = false;
    bool m_tableBordered = false;
    int m_tableCells = 0; // cells created in the whole document
};
