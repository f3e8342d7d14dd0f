/// \file
/// TZantoquiller: prints plain text to character printers as bytes and
/// printer control codes.
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

/// The printer component: prints a memo's text, or bytes given, to a
/// character printer, through a port or the print spooler.
///
/// A memo print lays the text out in lines (left offset, word wrap, paging),
/// replaces characters by the translation table and starts with the pitch
/// code of the printer type; see PrintMemo and PrintMemoText().
///
/// Threads: a component is used from one thread at a time. Different
/// components may print from different threads at once, to different
/// targets, each with its own code page (CodePage). The process-wide state
/// that prints read (device paths, the default code page, the memo types,
/// the installed edit dialogs) may be read and changed from any thread; the
/// edit dialogs themselves open on the GUI thread only.
class ZANTOQUILLER_CORE_EXPORT TZantoquiller : public QObject
{
    Q_OBJECT
    // Declaration order is the order in which stored properties are written.
    /// Which code set a print uses. Default ptHPPCL.
    Q_PROPERTY(Zanto::TPrinterType PrinterType READ PrinterType WRITE SetPrinterType)
    /// The output device of direct prints. Default poLPT1.
    Q_PROPERTY(Zanto::TIOPortName Port READ Port WRITE SetPort)
    /// Whole-memo prints go through the print spooler (unless Port is
    /// poDisk). Default false.
    Q_PROPERTY(bool UseSpooler READ UseSpooler WRITE SetUseSpooler)
    /// The number of spaces put before every output line of a memo print,
    /// 0 to MaxLeftOffset. Default 0.
    Q_PROPERTY(qint32 LeftOffset READ LeftOffset WRITE SetOffset)
    /// Lines per page; 0, the default, means no paging.
    Q_PROPERTY(qint32 LinesPerPage READ LinesPerPage WRITE SetLinesPerPage)
    /// The most text characters per output line; 0, the default, means no
    /// word wrap.
    Q_PROPERTY(qint32 LineWidth READ LineWidth WRITE SetLineWidth)
    /// The characters to translate, each the first byte of its entry.
    Q_PROPERTY(QByteArrayList TransIn READ TransIn WRITE SetTransIn)
    /// The replacement bytes, parallel to TransIn.
    Q_PROPERTY(QByteArrayList TransOut READ TransOut WRITE SetTransOut)
    /// The file written when Port is poDisk.
    Q_PROPERTY(QString OutputFile READ OutputFile WRITE SetOutputFile)
    /// Which pitch code starts every memo print. Default cpi10.
    Q_PROPERTY(Zanto::TPitch Pitch READ Pitch WRITE SetPitch)
    /// A line feed follows the carriage return of each ordinary line end
    /// (not of a page end). Default true.
    Q_PROPERTY(bool SendLineFeed READ SendLineFeed WRITE SetSendLineFeed)
    /// Line advances per output line, 0 to 255. Default 1.
    Q_PROPERTY(quint8 LineSpacing READ LineSpacing WRITE SetLineSpacing)
    /// A stored setting that no print reads. Default true.
    Q_PROPERTY(bool PrintAllPages READ PrintAllPages WRITE SetPrintAllPages)
    /// A stored setting that no print reads. Default 1.
    Q_PROPERTY(qint32 PrintRangeStart READ PrintRangeStart WRITE SetPrintRangeStart)
    /// A stored setting that no print reads. Default 1.
    Q_PROPERTY(qint32 PrintRangeEnd READ PrintRangeEnd WRITE SetPrintRangeEnd)
    /// The write time-out of the device, in milliseconds. Default 1000.
    Q_PROPERTY(quint16 Timeout READ Timeout WRITE SetTimeout)
    // Not stored: a stored properties file names every ordinal property, and
    // readers before these properties refuse a name they do not know, so
    // storing them would make every file written from now on unreadable
    // there. Files keep the component's rule, the default.
    /// Where a memo print breaks a line wider than LineWidth. Default
    /// WrapRule::Memo. Not stored.
    Q_PROPERTY(Zanto::WrapRule wrapRule READ wrapRule WRITE setWrapRule STORED false)
    /// For WrapRule::Fold, the distance of the tab stops in columns. Default 8.
    /// Not stored.
    Q_PROPERTY(qint32 tabStops READ tabStops WRITE setTabStops STORED false)

public:
    /// The largest LeftOffset.
    static constexpr qint32 MaxLeftOffset = 3800;

    /// Invokable, so that a form designer can create it from its class.
    Q_INVOKABLE explicit TZantoquiller(QObject *owner = nullptr);
    ~TZantoquiller() override;

    // Properties. Only LeftOffset is validated; every other value is stored
    // as given and takes effect when printing.
    /// \name Properties
    /// Only LeftOffset is validated; every other value is stored as given
    /// and takes effect when printing.
    ///@{
    /// See the property PrinterType.
    TPrinterType PrinterType() const;
    /// See the property PrinterType.
    void SetPrinterType(TPrinterType value);
    /// See the property Port.
    TIOPortName Port() const;
    /// See the property Port.
    void SetPort(TIOPortName value);
    /// See the property UseSpooler.
    bool UseSpooler() const;
    /// See the property UseSpooler.
    void SetUseSpooler(bool value);
    /// See the property LeftOffset.
    qint32 LeftOffset() const;
    /// Raises eZantoquillError for a value below 0 or above MaxLeftOffset.
    void SetOffset(qint32 value);
    /// See the property LinesPerPage.
    qint32 LinesPerPage() const;
    /// See the property LinesPerPage.
    void SetLinesPerPage(qint32 value);
    /// See the property LineWidth.
    qint32 LineWidth() const;
    /// See the property LineWidth.
    void SetLineWidth(qint32 value);
    /// See the property OutputFile.
    QString OutputFile() const;
    /// See the property OutputFile.
    void SetOutputFile(const QString &value);
    /// See the property Pitch.
    TPitch Pitch() const;
    /// See the property Pitch.
    void SetPitch(TPitch value);
    /// See the property SendLineFeed.
    bool SendLineFeed() const;
    /// See the property SendLineFeed.
    void SetSendLineFeed(bool value);
    /// See the property LineSpacing.
    quint8 LineSpacing() const;
    /// See the property LineSpacing.
    void SetLineSpacing(quint8 value);
    /// See the property PrintAllPages.
    bool PrintAllPages() const;
    /// See the property PrintAllPages.
    void SetPrintAllPages(bool value);
    /// See the property PrintRangeStart.
    qint32 PrintRangeStart() const;
    /// See the property PrintRangeStart.
    void SetPrintRangeStart(qint32 value);
    /// See the property PrintRangeEnd.
    qint32 PrintRangeEnd() const;
    /// See the property PrintRangeEnd.
    void SetPrintRangeEnd(qint32 value);
    /// See the property Timeout.
    quint16 Timeout() const;
    /// See the property Timeout.
    void SetTimeout(quint16 value);
    // The wrap rule of memo prints (default WrapRule::Memo) and, for
    // WrapRule::Fold, the distance of the tab stops in columns (default 8;
    // below 1 a tab is one column wide).
    /// The wrap rule of memo prints (default WrapRule::Memo).
    WrapRule wrapRule() const;
    /// See wrapRule().
    void setWrapRule(WrapRule value);
    /// For WrapRule::Fold, the distance of the tab stops in columns (default
    /// 8; below 1 a tab is one column wide).
    qint32 tabStops() const;
    /// See tabStops().
    void setTabStops(qint32 value);
    ///@}

    /// \name Where it prints
    ///@{
    /// Where this component prints: the destination given by
    /// setDestination(), else the one Port names (the device name, the
    /// current printer, or for poDisk the OutputFile as given).
    Destination destination() const;
    /// Prints of this component go to destination, without changing the
    /// process-wide device map or current printer: a queue or IPP printer
    /// takes whole texts as spooler jobs (a range of lines goes straight to
    /// its device); the others print as Port would. With UseSpooler, whole
    /// texts go to the current printer's queue unless the destination is a
    /// file or standard output, as with Port. Setting Port or OutputFile
    /// afterwards replaces it; Port and OutputFile keep their values
    /// meanwhile. Not a stored property.
    void setDestination(const Destination &destination);
    ///@}

    /// \name The translation table
    /// Reading gives the component's own lists, which may be changed in
    /// place; writing empties the own list and copies.
    ///@{
    /// The characters to translate.
    QByteArrayList &TransIn();
    /// The characters to translate.
    const QByteArrayList &TransIn() const;
    /// The replacements, parallel to TransIn.
    QByteArrayList &TransOut();
    /// The replacements, parallel to TransIn.
    const QByteArrayList &TransOut() const;
    /// Empties TransIn and copies value into it.
    void SetTransIn(const QByteArrayList &value);
    /// Empties TransOut and copies value into it.
    void SetTransOut(const QByteArrayList &value);
    /// As above; a null list raises EConvertError and changes nothing.
    void SetTransIn(const QByteArrayList *value);
    /// As above; a null list raises EConvertError and changes nothing.
    void SetTransOut(const QByteArrayList *value);
    ///@}

    /// The ANSI code page of this component's prints: the memo text is
    /// converted into it and the translation table folds case in it. Null,
    /// the default, follows the process-wide one (ansiCodePage()). Not a
    /// stored property.
    const AnsiCodePage *CodePage() const;
    /// See CodePage().
    void SetCodePage(const AnsiCodePage *page);

    /// The code table: one record per printer type. Not a stored property.
    const TCodeTable &CodeTable() const;
    /// See CodeTable(); builtInCodeTable() is the table a component starts
    /// with.
    void SetCodeTable(const TCodeTable &codes);

    /// The larger of a and b.
    static qint32 Max(qint32 a, qint32 b) { return a > b ? a : b; }
    /// The smaller of a and b.
    static qint32 Min(qint32 a, qint32 b) { return a < b ? a : b; }

    /// Prints the whole text of Memo, a memo control (see textsource.h); anything else
    /// raises eZantoquillError "Memo type not recognised" before anything is
    /// sent. The component's job codes (jobcodes.h), if it has any, frame
    /// each print.
    void PrintMemo(QObject *Memo);
    /// As PrintMemo(), for the lines FromLine to ToLine of Memo. Lines are
    /// counted from 1, both ends included.
    void PrintMemoLines(QObject *Memo, qint32 FromLine, qint32 ToLine);

    /// Direct output to the device of Port; never through the spooler.
    /// Raise EInOutError "Failed to open port" or "Failed to write to port".
    void PrintBuffer(const char *Buffer, qint32 Count);
    /// As PrintBuffer(), for the bytes of S.
    void PrintString(QByteArrayView S);
    /// The device name of a port: "LPT1" ... "COM4", the current printer's
    /// port name, or OutputFile. Raises EConvertError "Invalid Port ID".
    QString PortToString(TIOPortName Value) const;
    /// Whether the current printer accepts raw pass-through data.
    bool DriverCompatible() const;

    /// Is the printer ready? The state of where a print would go now: the
    /// current printer's queue when UseSpooler is set (and Port is not
    /// poDisk), else the device of Port. With EscPos a serial or network
    /// printer is asked with the ESC/POS status request. Each question waits
    /// at most Timeout (0: 10 s). See printerstatus.h.
    PrinterStatus QueryStatus(bool EscPos = false) const;
    /// The state of Destination, named as printerStatus() takes it.
    PrinterStatus QueryStatus(const QString &Destination, bool EscPos = false) const;
    /// The state of destination (see printerStatus()), each question waiting
    /// at most Timeout.
    PrinterStatus queryStatus(const Destination &destination, bool escPos = false) const;

    /// \name Settings files
    /// Defined in the settings library. A name without an extension gets
    /// ".PCC" or ".CTT", and one without a folder lies in the program's
    /// folder (resolveSettingsFileName()). They raise EInOutError when a
    /// file cannot be read or written or is not of its format
    /// (settingsfileio.h); a load changes nothing then.
    ///@{
    /// Reads the code table from a printer codes file (printercodesfile.h).
    void LoadPrinterCodes(const QString &FileName);
    /// Writes the code table to a printer codes file.
    void SavePrinterCodes(const QString &FileName) const;
    /// Reads TransIn and TransOut from a translation table file
    /// (translationtablefile.h).
    void LoadTranslationTable(const QString &FileName);
    /// Writes TransIn and TransOut to a translation table file.
    void SaveTranslationTable(const QString &FileName) const;
    ///@}

    /// \name Edit dialogs
    /// The edit dialogs, reached through the seam that the dialogs library
    /// installs (editdialogs.h). True when the user confirmed with OK.
    ///@{
    /// Lets the user edit the code table.
    bool EditPrinterCodes();
    /// Lets the user edit the translation table.
    bool EditTranslationTable();
    ///@}

private:
    // The property values and the state of a running print.
    friend class TZantoquillerPrivate;
    std::unique_ptr<TZantoquillerPrivate> d;
};

} // namespace Zanto
