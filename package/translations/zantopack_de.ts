<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>TCodeDlg</name>
    <message>
        <source>Printer Control Codes</source>
        <translation>Druckersteuercodes</translation>
    </message>
    <message>
        <source>Enter printer control codes as a comma-separated list of decimal numbers.</source>
        <translation>Geben Sie die Steuercodes des Druckers als kommagetrennte Liste von Dezimalzahlen ein.</translation>
    </message>
    <message>
        <source>If the printer does not support a function, leave the box empty.</source>
        <translation>Unterstützt der Drucker eine Funktion nicht, lassen Sie das Feld leer.</translation>
    </message>
    <message>
        <source>Printer Type:</source>
        <translation>Druckertyp:</translation>
    </message>
    <message>
        <source>Control Codes</source>
        <translation>Steuercodes</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>Fett</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>Unterstrichen</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>Kursiv</translation>
    </message>
    <message>
        <source>Superscript</source>
        <translation>Hochgestellt</translation>
    </message>
    <message>
        <source>Subscript</source>
        <translation>Tiefgestellt</translation>
    </message>
    <message>
        <source>Pitch</source>
        <translation>Zeichenabstand</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>TTransDlg</name>
    <message>
        <source>Character Translation Table</source>
        <translation>Zeichenübersetzungstabelle</translation>
    </message>
    <message>
        <source>Characters on the left of the table will be replaced</source>
        <translation>Die Zeichen links in der Tabelle werden beim Drucken</translation>
    </message>
    <message>
        <source>by the codes on the right when printing.  All numbers</source>
        <translation>durch die Codes rechts ersetzt.  Alle Zahlen sind</translation>
    </message>
    <message>
        <source>are decimal ASCII values, with multiple bytes</source>
        <translation>dezimale ASCII-Werte, mehrere Bytes werden</translation>
    </message>
    <message>
        <source>separated by commas.</source>
        <translation>durch Kommas getrennt.</translation>
    </message>
    <message>
        <source>Char</source>
        <translation>Zeichen</translation>
    </message>
    <message>
        <source>Codes</source>
        <translation>Codes</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Add new row to end</source>
        <translation>Neue Zeile am Ende anfügen</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Insert new row above current row</source>
        <translation>Neue Zeile über der aktuellen einfügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Delete current row</source>
        <translation>Aktuelle Zeile löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
