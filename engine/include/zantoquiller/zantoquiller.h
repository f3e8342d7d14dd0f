// TZantoquiller: prints plain text to character printers as bytes and
// printer control codes.
#pragma once

#include <zantoquiller/core_export.h>
#include <zantoquiller/destination.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/printerstatus.h>
#include <zantoquiller/types.h>

#include <QByteArrayList>
#include <QObject>
#include <QString>

#include <memory>

namespace Zanto {

class TZantoquillerPrivate;
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
    // Not stored: a stored properties file names every ordinal property, and
    // readers before these properties refuse a name they do not know, so
    // storing them would make every file written from now on unreadable
    // there. Files keep the component's rule, the default.
    Q_PROPERTY(Zanto::WrapRule wrapRule READ wrapRule WRITE setWrapRule STORED false)
    Q_PROPERTY(qint32 tabStops READ tabStops WRITE setTabStops STORED false)

public:
    static constexpr qint32 MaxLeftOffset = 3800;

    // Invokable, so that a form designer can create it from its class.
    Q_INVOKABLE explicit TZantoquiller(QObject *owner = nullptr);
    ~TZantoquiller() override;

    // Properties. Only LeftOffset is validated; every other value is stored
    // as given and takes effect when printing.
    TPrinterType PrinterType() const;
    void SetPrinterType(TPrinterType value);
    TIOPortName Port() const;
    void SetPort(TIOPortName value);
    bool UseSpooler() const;
    void SetUseSpooler(bool value);
    qint32 LeftOffset() const;
    // Raises eZantoquillError for a value below 0 or above MaxLeftOffset.
    void SetOffset(qint32 value);
    qint32 LinesPerPage() const;
    void SetLinesPerPage(qint32 value);
    qint32 LineWidth() const;
    void SetLineWidth(qint32 value);
    QString OutputFile() const;
    void SetOutputFile(const QString &value);
    TPitch Pitch() const;
    void SetPitch(TPitch value);
    bool SendLineFeed() const;
    void SetSendLineFeed(bool value);
    quint8 LineSpacing() const;
    void SetLineSpacing(quint8 value);
    bool PrintAllPages() const;
    void SetPrintAllPages(bool value);
    qint32 PrintRangeStart() const;
    void SetPrintRangeStart(qint32 value);
    qint32 PrintRangeEnd() const;
    void SetPrintRangeEnd(qint32 value);
    quint16 Timeout() const;
    void SetTimeout(quint16 value);
    // The wrap rule of memo prints (default WrapRule::Memo) and, for
    // WrapRule::Fold, the distance of the tab stops in columns (default 8;
    // below 1 a tab is one column wide).
    WrapRule wrapRule() const;
    void setWrapRule(WrapRule value);
    qint32 tabStops() const;
    void setTabStops(qint32 value);

    /// Where this component prints: the destination given by
    /// setDestination(), else the one Port names (the device name, the
    /// current printer, or for poDisk the OutputFile as given).
    Destination destination() const;
    /// Prints of this component go to destination, without changing the
    /// process-wide device map or current printer: a queue or IPP printer
    /// takes whole texts as spooler jobs (a range of lines goes straight to
    /// its device); the others print as Port would. With UseSpooler, whole
    /// texts go to the current printer's queue unless the destination is a
    /// file or standard output, as with Port. Setting Port or OutputFile afterwards
    /// replaces it; Port and OutputFile keep their values meanwhile. Not a
    /// stored property.
    void setDestination(const Destination &destination);

    // The translation table. Reading gives the component's own lists, which
    // may be changed in place; writing empties the own list and copies.
    QByteArrayList &TransIn();
    const QByteArrayList &TransIn() const;
    QByteArrayList &TransOut();
    const QByteArrayList &TransOut() const;
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
    const TCodeTable &CodeTable() const;
    void SetCodeTable(const TCodeTable &codes);

    static qint32 Max(qint32 a, qint32 b) { return a > b ? a : b; }
    static qint32 Min(qint32 a, qint32 b) { return a < b ? a : b; }

    // Memo printing. Memo is a memo control (see textsource.h); anything else
    // raises eZantoquillError "Memo type not recognised" before anything is
    // sent. Lines are counted from 1, both ends included. The component's
    // job codes (jobcodes.h), if it has any, frame each print.
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

    // Is the printer ready? The state of where a print would go now: the
    // current printer's queue when UseSpooler is set (and Port is not
    // poDisk), else the device of Port. With EscPos a serial or network
    // printer is asked with the ESC/POS status request. Each question waits
    // at most Timeout (0: 10 s). See printerstatus.h.
    PrinterStatus QueryStatus(bool EscPos = false) const;
    // The state of Destination, named as printerStatus() takes it.
    PrinterStatus QueryStatus(const QString &Destination, bool EscPos = false) const;
    /// The state of destination (see printerStatus()), each question waiting
    /// at most Timeout.
    PrinterStatus queryStatus(const Destination &destination, bool escPos = false) const;

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
    // The property values and the state of a running print.
    friend class TZantoquillerPrivate;
    std::unique_ptr<TZantoquillerPrivate> d;
};

} // namespace Zanto
