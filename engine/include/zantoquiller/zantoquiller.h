// TZantoquiller: prints plain text to character printers as bytes and
// printer control codes.
#pragma once

#include <zantoquiller/core_export.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/types.h>

#include <QByteArrayList>
#include <QObject>
#include <QString>

namespace Zanto {

class AnsiCodePage;

// Threads: a component is used from one thread at a time. Different
// components may print from different threads at once, to different
// targets, each with its own code page (CodePage). The process-wide state
// that prints read (device paths, the default code page, the memo types,
// the installed edit dialogs) may be read and changed from any thread; the
// edit dialogs themselves open on the GUI thread only.
class ZANTOQUILLER_CORE_EXPORT TZantoquiller : public QObject
{
    Q_OBJECT
    // Declaration order is the order in which stored properties are written.
    Q_PROPERTY(Zanto::TPrinterType PrinterType READ PrinterType WRITE SetPrinterType)
    Q_PROPERTY(Zanto::TIOPortName Port READ Port WRITE SetPort)
    Q_PROPERTY(bool UseSpooler READ UseSpooler WRITE SetUseSpooler)
    Q_PROPERTY(qint32 LeftOffset READ LeftOffset WRITE SetOffset)
    Q_PROPERTY(qint32 LinesPerPage READ LinesPerPage WRITE SetLinesPerPage)
    Q_PROPERTY(qint32 LineWidth READ LineWidth WRITE SetLineWidth)
    Q_PROPERTY(QByteArrayList TransIn READ TransIn WRITE SetTransIn)
    Q_PROPERTY(QByteArrayList TransOut READ TransOut WRITE SetTransOut)
    Q_PROPERTY(QString OutputFile READ OutputFile WRITE SetOutputFile)
    Q_PROPERTY(Zanto::TPitch Pitch READ Pitch WRITE SetPitch)
    Q_PROPERTY(bool SendLineFeed READ SendLineFeed WRITE SetSendLineFeed)
    Q_PROPERTY(quint8 LineSpacing READ LineSpacing WRITE SetLineSpacing)
    Q_PROPERTY(bool PrintAllPages READ PrintAllPages WRITE SetPrintAllPages)
    Q_PROPERTY(qint32 PrintRangeStart READ PrintRangeStart WRITE SetPrintRangeStart)
    Q_PROPERTY(qint32 PrintRangeEnd READ PrintRangeEnd WRITE SetPrintRangeEnd)
    Q_PROPERTY(quint16 Timeout READ Timeout WRITE SetTimeout)

public:
    static constexpr qint32 MaxLeftOffset = 3800;

    // Invokable, so that a form designer can create it from its class.
    Q_INVOKABLE explicit TZantoquiller(QObject *owner = nullptr);
    ~TZantoquiller() override;

    // Properties. Only LeftOffset is validated; every other value is stored
    // as given and takes effect when printing.
    TPrinterType PrinterType() const { return m_printerType; }
    void SetPrinterType(TPrinterType value) { m_printerType = value; }
    TIOPortName Port() const { return m_port; }
    void SetPort(TIOPortName value) { m_port = value; }
    bool UseSpooler() const { return m_useSpooler; }
    void SetUseSpooler(bool value) { m_useSpooler = value; }
    qint32 LeftOffset() const { return m_leftOffset; }
    // Raises eZantoquillError for a value below 0 or above MaxLeftOffset.
    void SetOffset(qint32 value);
    qint32 LinesPerPage() const { return m_linesPerPage; }
    void SetLinesPerPage(qint32 value) { m_linesPerPage = value; }
    qint32 LineWidth() const { return m_lineWidth; }
    void SetLineWidth(qint32 value) { m_lineWidth = value; }
    QString OutputFile() const { return m_outputFile; }
    void SetOutputFile(const QString &value) { m_outputFile = value; }
    TPitch Pitch() const { return m_pitch; }
    void SetPitch(TPitch value) { m_pitch = value; }
    bool SendLineFeed() const { return m_sendLineFeed; }
    void SetSendLineFeed(bool value) { m_sendLineFeed = value; }
    quint8 LineSpacing() const { return m_lineSpacing; }
    void SetLineSpacing(quint8 value) { m_lineSpacing = value; }
    bool PrintAllPages() const { return m_printAllPages; }
    void SetPrintAllPages(bool value) { m_printAllPages = value; }
    qint32 PrintRangeStart() const { return m_printRangeStart; }
    void SetPrintRangeStart(qint32 value) { m_printRangeStart = value; }
    qint32 PrintRangeEnd() const { return m_printRangeEnd; }
    void SetPrintRangeEnd(qint32 value) { m_printRangeEnd = value; }
    quint16 Timeout() const { return m_timeout; }
    void SetTimeout(quint16 value) { m_timeout = value; }

    // The translation table. Reading gives the component's own lists, which
    // may be changed in place; writing empties the own list and copies.
    QByteArrayList &TransIn() { return m_transIn; }
    const QByteArrayList &TransIn() const { return m_transIn; }
    QByteArrayList &TransOut() { return m_transOut; }
    const QByteArrayList &TransOut() const { return m_transOut; }
    void SetTransIn(const QByteArrayList &value);
    void SetTransOut(const QByteArrayList &value);
    // As above; a null list raises EConvertError and changes nothing.
    void SetTransIn(const QByteArrayList *value);
    void SetTransOut(const QByteArrayList *value);

    // The ANSI code page of this component's prints: the memo text is
    // converted into it and the translation table folds case in it. Null,
    // the default, follows the process-wide one (ansiCodePage()). Not a
    // stored property.
    const AnsiCodePage *CodePage() const;
    void SetCodePage(const AnsiCodePage *page);

    // The code table: one record per printer type. Not a stored property.
    const TCodeTable &CodeTable() const { return m_codes; }
    void SetCodeTable(const TCodeTable &codes) { m_codes = codes; }

    static qint32 Max(qint32 a, qint32 b) { return a > b ? a : b; }
    static qint32 Min(qint32 a, qint32 b) { return a < b ? a : b; }

    // Memo printing. Memo is a memo control (see textsource.h); anything else
    // raises eZantoquillError "Memo type not recognised" before anything is
    // sent. Lines are counted from 1, both ends included.
    void PrintMemo(QObject *Memo);
    void PrintMemoLines(QObject *Memo, qint32 FromLine, qint32 ToLine);

    // Direct output to the device of Port; never through the spooler.
    // Raise EInOutError "Failed to open port" or "Failed to write to port".
    void PrintBuffer(const char *Buffer, qint32 Count);
    void PrintString(QByteArrayView S);
    // The device name of a port: "LPT1" ... "COM4", the current printer's
    // port name, or OutputFile. Raises EConvertError "Invalid Port ID".
    QString PortToString(TIOPortName Value) const;
    // Whether the current printer accepts raw pass-through data.
    bool DriverCompatible() const;

    // Settings files; defined in the settings library.
    void LoadPrinterCodes(const QString &FileName);
    void SavePrinterCodes(const QString &FileName) const;
    void LoadTranslationTable(const QString &FileName);
    void SaveTranslationTable(const QString &FileName) const;

    // The edit dialogs, reached through the seam that the dialogs library
    // installs. True when the user confirmed with OK.
    bool EditPrinterCodes();
    bool EditTranslationTable();

private:
    friend class PrintJob;
    friend class MemoPrinter;

    // PrintBuffer for any length (PrintString's may exceed 32 bits).
    void writeToPort(const char *data, qint64 count);

    TPrinterType m_printerType = ptHPPCL;
    TIOPortName m_port = poLPT1;
    bool m_useSpooler = false;
    qint32 m_leftOffset = 0;
    qint32 m_linesPerPage = 0;
    qint32 m_lineWidth = 0;
    QByteArrayList m_transIn;
    QByteArrayList m_transOut;
    QString m_outputFile;
    TPitch m_pitch = cpi10;
    bool m_sendLineFeed = true;
    quint8 m_lineSpacing = 1;
    bool m_printAllPages = true;
    qint32 m_printRangeStart = 1;
    qint32 m_printRangeEnd = 1;
    quint16 m_timeout = 1000;

    TCodeTable m_codes;
    const AnsiCodePage *m_codePage = nullptr;

    // True while the second and later lines of one memo print are sent: a
    // disk file is then appended to instead of being created anew.
    bool AppendToFile = false;
    // Whether the disk file that the first line of the running memo print
    // created is a regular file; the lines appended to it then skip the
    // device checks.
    bool m_appendingToRegularFile = false;
};

} // namespace Zanto
