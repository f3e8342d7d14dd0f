<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>TCodeDlg</name>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="27"/>
        <source>Printer Control Codes</source>
        <translation>Druckersteuercodes</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="32"/>
        <source>Enter printer control codes as a comma-separated list of decimal numbers.</source>
        <translation>Geben Sie die Steuercodes des Druckers als kommagetrennte Liste von Dezimalzahlen ein.</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="36"/>
        <source>If the printer does not support a function, leave the box empty.</source>
        <translation>Unterstützt der Drucker eine Funktion nicht, lassen Sie das Feld leer.</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="40"/>
        <source>Printer Type:</source>
        <translation>Druckertyp:</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="46"/>
        <source>HP PCL</source>
        <translation>HP PCL</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="47"/>
        <source>Epson</source>
        <translation>Epson</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="48"/>
        <source>IBM</source>
        <translation>IBM</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="49"/>
        <source>Diablo</source>
        <translation>Diablo</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="50"/>
        <source>Plain</source>
        <translation>Plain</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="51"/>
        <source>User 1</source>
        <translation>User 1</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="52"/>
        <source>User 2</source>
        <translation>User 2</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="56"/>
        <source>Control Codes</source>
        <translation>Steuercodes</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="59"/>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="63"/>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="67"/>
        <source>Bold</source>
        <translation>Fett</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="71"/>
        <source>Underline</source>
        <translation>Unterstrichen</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="75"/>
        <source>Italic</source>
        <translation>Kursiv</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="79"/>
        <source>Superscript</source>
        <translation>Hochgestellt</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="83"/>
        <source>Subscript</source>
        <translation>Tiefgestellt</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="87"/>
        <source>Pitch</source>
        <translation>Zeichenabstand</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="91"/>
        <source>10 cpi</source>
        <translation>10 cpi</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="95"/>
        <source>12 cpi</source>
        <translation>12 cpi</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="99"/>
        <source>15 cpi</source>
        <translation>15 cpi</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="143"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/codedlg.ui" line="149"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>TTransDlg</name>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="27"/>
        <source>Character Translation Table</source>
        <translation>Zeichenübersetzungstabelle</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="32"/>
        <source>Characters on the left of the table will be replaced</source>
        <translation>Die Zeichen links in der Tabelle werden beim Drucken</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="36"/>
        <source>by the codes on the right when printing.  All numbers</source>
        <translation>durch die Codes rechts ersetzt.  Alle Zahlen sind</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="40"/>
        <source>are decimal ASCII values, with multiple bytes</source>
        <translation>dezimale ASCII-Werte, mehrere Bytes werden</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="44"/>
        <source>separated by commas.</source>
        <translation>durch Kommas getrennt.</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="66"/>
        <source>Char</source>
        <translation>Zeichen</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="67"/>
        <source>Codes</source>
        <translation>Codes</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="75"/>
        <source>Add</source>
        <translation>Neu</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="74"/>
        <source>Add new row to end</source>
        <translation>Neue Zeile am Ende anfügen</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="84"/>
        <source>Insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="83"/>
        <source>Insert new row above current row</source>
        <translation>Neue Zeile über der aktuellen einfügen</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="93"/>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="92"/>
        <source>Delete current row</source>
        <translation>Aktuelle Zeile löschen</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="98"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../../dialogs/src/transdlg.ui" line="104"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
