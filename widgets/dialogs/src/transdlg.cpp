#include <zantoquiller/transdlg.h>

#include "glyphs.h"
#include "guarded.h"
#include "ui_transdlg.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/dialogs.h>
#include <zantoquiller/exceptions.h>

#include <QMessageBox>

namespace Zanto {

namespace {

constexpr int CharColumn = 0;
constexpr int CodesColumn = 1;

// A character cell holds a character's code: an integer 0 to 255.
bool parseCharacterCode(const QString &text, qint32 &code)
{
    return parseInteger(text, code) && code >= 0 && code <= 255;
}

} // namespace

TTransDlg::TTransDlg(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TTransDlg>())
{
    installFontSubstitutes();
    ui->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    ui->Grid->setColumnWidth(CharColumn, 55);
    ui->Grid->setColumnWidth(CodesColumn, 244);
    ui->OKBtn->setGlyph(okGlyph(), okGlyphDisabled());
    ui->CancelBtn->setGlyph(cancelGlyph(style()), cancelGlyphDisabled(style()));

    connect(ui->OKBtn, &QPushButton::clicked, this, guarded([this] { OKBtnClick(); }));
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->AddButton, &QPushButton::clicked, this, guarded([this] { AddButtonClick(); }));
    connect(
        ui->InsertButton, &QPushButton::clicked, this, guarded([this] { InsertButtonClick(); }));
    connect(
        ui->DeleteButton, &QPushButton::clicked, this, guarded([this] { DeleteButtonClick(); }));
    ui->OKBtn->setFocus();
}

TTransDlg::~TTransDlg() = default;

int TTransDlg::RowCount() const
{
    return ui->Grid->rowCount() + 1;
}

void TTransDlg::SetRowCount(int count)
{
    ui->Grid->setRowCount(std::max(count, 1) - 1);
}

QString TTransDlg::Cell(int column, int row) const
{
    if (row == 0)
        return ui->Grid->horizontalHeaderItem(column)->text();
    const QTableWidgetItem *item = ui->Grid->item(row - 1, column);
    return item ? item->text() : QString();
}

void TTransDlg::SetCell(int column, int row, const QString &text)
{
    if (row == 0) {
        ui->Grid->horizontalHeaderItem(column)->setText(text);
        return;
    }
    if (QTableWidgetItem *item = ui->Grid->item(row - 1, column))
        item->setText(text);
    else if (!text.isEmpty())
        ui->Grid->setItem(row - 1, column, new QTableWidgetItem(text));
}

int TTransDlg::Row() const
{
    return ui->Grid->currentRow() + 1;
}

void TTransDlg::SetRow(int row)
{
    ui->Grid->setCurrentCell(row - 1, std::max(ui->Grid->currentColumn(), CharColumn));
}

void TTransDlg::moveRow(int from, int to)
{
    SetCell(CharColumn, to, Cell(CharColumn, from));
    SetCell(CodesColumn, to, Cell(CodesColumn, from));
}

bool TTransDlg::Execute(QByteArrayList &TransIn, QByteArrayList &TransOut)
{
    const int n = static_cast<int>(TransIn.size());
    if (TransOut.size() < n)
        throw EStringListError(
            QStringLiteral("List index out of bounds (%1)").arg(TransOut.size()));

    SetRowCount(n == 0 ? 2 : n + 1);
    SetCell(CharColumn, 0, tr("Char"));
    SetCell(CodesColumn, 0, tr("Codes"));
    for (int i = 1; i <= n; ++i) {
        // An empty entry has no character to show: its row stays blank.
        const QByteArray &character = TransIn.at(i - 1);
        SetCell(CharColumn, i,
            character.isEmpty() ? QString()
                                : QString::number(static_cast<unsigned char>(character.front())));
        SetCell(CodesColumn, i, StrToASCIIList(TransOut.at(i - 1)));
    }
    SetRow(1);

    if (exec() != QDialog::Accepted)
        return false;

    // Built aside first, so that the lists are either refilled completely
    // or left as they were.
    QByteArrayList characters;
    QByteArrayList replacements;
    for (int row = 1; row < RowCount(); ++row) {
        const QString characterCell = Cell(CharColumn, row);
        if (characterCell.isEmpty())
            continue;
        qint32 code = 0;
        if (!parseCharacterCode(characterCell, code))
            throw EConvertError(QStringLiteral("Invalid character code: ") + characterCell);
        characters.append(QByteArray(1, static_cast<char>(code)));
        replacements.append(ASCIIListToStr(Cell(CodesColumn, row)));
    }
    TransIn.clear();
    TransOut.clear();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        TransIn.append(characters.at(i));
        TransOut.append(replacements.at(i));
    }
    return true;
}

bool TTransDlg::VerifyCodes()
{
    for (int row = 1; row < RowCount(); ++row) {
        const QString characterCell = Cell(CharColumn, row);
        if (characterCell.isEmpty())
            continue;
        qint32 code = 0;
        if (!parseCharacterCode(characterCell, code)) {
            SetRow(row);
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                QStringLiteral("Invalid character code: ") + characterCell, QMessageBox::Ok, this);
            box.exec();
            return false;
        }
        try {
            ASCIIListToStr(Cell(CodesColumn, row));
        } catch (...) {
            SetRow(row);
            throw;
        }
    }
    return true;
}

void TTransDlg::OKBtnClick()
{
    if (VerifyCodes())
        done(QDialog::Accepted);
    else
        ui->Grid->setFocus();
}

void TTransDlg::AddButtonClick()
{
    SetRowCount(RowCount() + 1);
    SetRow(RowCount() - 1);
}

void TTransDlg::InsertButtonClick()
{
    if (RowCount() < 2) {
        // Only the heading row is left: the blank row is the first one.
        AddButtonClick();
        ui->Grid->setFocus();
        return;
    }
    const int r = std::clamp(Row(), 1, RowCount() - 1);
    SetRowCount(RowCount() + 1);
    for (int row = RowCount() - 1; row > r; --row)
        moveRow(row - 1, row);
    SetCell(CharColumn, r, QString());
    SetCell(CodesColumn, r, QString());
    SetRow(r);
    ui->Grid->setFocus();
}

void TTransDlg::DeleteButtonClick()
{
    if (RowCount() < 2)
        return; // no data row to delete
    if (RowCount() == 2) {
        SetCell(CharColumn, 1, QString());
        SetCell(CodesColumn, 1, QString());
    } else {
        const int r = std::clamp(Row(), 1, RowCount() - 1);
        for (int row = r; row < RowCount() - 1; ++row)
            moveRow(row + 1, row);
    }
    SetRowCount(RowCount() - 1);
}

} // namespace Zanto
