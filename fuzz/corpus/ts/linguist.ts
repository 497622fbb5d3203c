<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="main.cpp" line="12"/>
        <source>Open &amp;file</source>
        <comment>menu</comment>
        <translation type="unfinished">&amp;Datei öffnen</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n Datei</numerusform>
            <numerusform>%n Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>bell<byte value="x7"/>&#xd;
next line</source>
        <translation variants="yes"><lengthvariant>lang</lengthvariant><lengthvariant>k</lengthvariant></translation>
    </message>
    <message>
        <source>Gone</source>
        <translation type="vanished">Weg</translation>
    </message>
    <message>
        <source>Old</source>
        <translation type="obsolete">Alt</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>Open &amp;file</source>
        <translation>Datei öffnen</translation>
    </message>
</context>
</TS>
