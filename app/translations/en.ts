<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../mainwindow.ui" line="20" />
        <source>Rotavis - V2.5</source>
        <translation>Rotavis - V2.5</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="37" />
        <location filename="../mainwindow.cpp" line="133" />
        <source>open</source>
        <translation>open</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="53" />
        <location filename="../mainwindow.cpp" line="135" />
        <location filename="../mainwindow.cpp" line="352" />
        <source>preview</source>
        <translation>preview</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="69" />
        <location filename="../mainwindow.cpp" line="134" />
        <location filename="../mainwindow.cpp" line="383" />
        <source>save</source>
        <translation>save</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="102" />
        <source>00::00 / 00:00</source>
        <translation>00::00 / 00:00</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="118" />
        <source>Title</source>
        <translation>Title</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="209" />
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="214" />
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="147" />
        <location filename="../mainwindow.cpp" line="149" />
        <location filename="../mainwindow.cpp" line="184" />
        <location filename="../mainwindow.cpp" line="300" />
        <location filename="../mainwindow.cpp" line="339" />
        <source>stop</source>
        <translation>stop</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="154" />
        <source>No panel</source>
        <translation>No panel</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="155" />
        <source>No panel was found in the installation file:
%1

Preview and save need a panel.</source>
        <translation>No panel was found in the installation file:
%1

Preview and save need a panel.</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="216" />
        <location filename="../mainwindow.cpp" line="227" />
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="216" />
        <source>Files(*.*)</source>
        <translation>Files(*.*)</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="228" />
        <source>This file could not be read as a picture or video:
%1</source>
        <translation>This file could not be read as a picture or video:
%1</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="315" />
        <location filename="../mainwindow.cpp" line="373" />
        <location filename="../mainwindow.cpp" line="379" />
        <source>ok</source>
        <translation>ok</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="316" />
        <source>cancel</source>
        <translation>cancel</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="318" />
        <source>Input FileName</source>
        <translation>Input FileName</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="319" />
        <source>Input FileName:</source>
        <translation>Input FileName:</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="327" />
        <source>Choose output directory</source>
        <translation>Choose output directory</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="370" />
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="371" />
        <source>Saved</source>
        <translation>Saved</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="376" />
        <source>Not saved</source>
        <translation>Not saved</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="377" />
        <source>The fan data could not be written.

%1</source>
        <translation>The fan data could not be written.

%1</translation>
    </message>
</context>
</TS>