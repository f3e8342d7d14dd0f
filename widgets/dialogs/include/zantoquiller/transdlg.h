/// \file
/// TTransDlg: the modal dialog in which the user edits the translation table
/// as a grid: one row per pair, the character as its decimal code and the
/// replacement as a code list. The grid is the working copy; the caller's
/// lists change only when the user confirms with OK and every row is valid.
#pragma once

#include <QByteArrayList>
#include <QDialog>
#include <zantoquiller/widgets_export.h>

#include <memory>

namespace Ui {
class TTransDlg;
}

namespace Zanto {

/// The translation table dialog.
class ZANTOQUILLER_WIDGETS_EXPORT TTransDlg : public QDialog
{
    Q_OBJECT

public:
    /// The dialog, not shown.
    explicit TTransDlg(QWidget *parent = nullptr);
    ~TTransDlg() override;

    /// Shows the pairs of TransIn and TransOut in the grid and the dialog
    /// modally. On OK clears both lists and refills them from the grid's
    /// rows, blank rows left out, and returns true. Raises EStringListError,
    /// before anything is shown, when TransOut is shorter than TransIn.
    bool Execute(QByteArrayList &TransIn, QByteArrayList &TransOut);

    /// Checks every row with a character, top to bottom: a bad character cell
    /// shows a message box and returns false; a bad codes cell raises
    /// EConvertError. Either way the faulty row becomes the current row.
    bool VerifyCodes();

    // Event handlers.
    /// The user pressed OK: closes the dialog as accepted when VerifyCodes()
    /// finds every row valid.
    void OKBtnClick();
    /// Adds a blank row at the end and makes it the current row.
    void AddButtonClick();
    /// Inserts a blank row before the current one.
    void InsertButtonClick();
    /// Deletes the current row; the last data row is blanked instead.
    void DeleteButtonClick();

    // The grid in its own terms: row 0 is the heading row, rows 1 and on
    // are the data rows; column 0 the character, column 1 the codes.
    /// The number of rows, the heading row (row 0) included; the data rows
    /// are rows 1 and on. Column 0 holds the character, column 1 the codes.
    int RowCount() const;
    /// Adds blank rows at the end or removes rows from it; the heading row
    /// stays.
    void SetRowCount(int count);
    /// The text of a cell; of row 0, the heading.
    QString Cell(int column, int row) const;
    /// Sets the text of a data row's cell.
    void SetCell(int column, int row, const QString &text);
    /// The current row; 0 when there is no current data row.
    int Row() const;
    /// Makes row the current row.
    void SetRow(int row);

private:
    void moveRow(int from, int to);

    std::unique_ptr<Ui::TTransDlg> ui;
};

} // namespace Zanto
