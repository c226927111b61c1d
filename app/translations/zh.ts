<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
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
        <translation>打开</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="53" />
        <location filename="../mainwindow.cpp" line="135" />
        <location filename="../mainwindow.cpp" line="352" />
        <source>preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="69" />
        <location filename="../mainwindow.cpp" line="134" />
        <location filename="../mainwindow.cpp" line="383" />
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="102" />
        <source>00::00 / 00:00</source>
        <translation>00::00 / 00:00</translation>
    </message>
    <message>
        <location filename="../mainwindow.ui" line="118" />
        <source>Title</source>
        <translation>标题</translation>
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
        <translation>停止</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="154" />
        <source>No panel</source>
        <translation>没有屏幕</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="155" />
        <source>No panel was found in the installation file:
%1

Preview and save need a panel.</source>
        <translation>配置文件中没有找到任何屏幕：
%1

预览和保存需要一个屏幕。</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="216" />
        <location filename="../mainwindow.cpp" line="227" />
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="216" />
        <source>Files(*.*)</source>
        <translation>文件(*.*)</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="228" />
        <source>This file could not be read as a picture or video:
%1</source>
        <translation>无法将此文件读取为图片或视频：
%1</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="315" />
        <location filename="../mainwindow.cpp" line="373" />
        <location filename="../mainwindow.cpp" line="379" />
        <source>ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="316" />
        <source>cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="318" />
        <source>Input FileName</source>
        <translation>输入文件名</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="319" />
        <source>Input FileName:</source>
        <translation>输入文件名：</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="327" />
        <source>Choose output directory</source>
        <translation>选择输出目录</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="370" />
        <source>OK</source>
        <translation>完成</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="371" />
        <source>Saved</source>
        <translation>已保存</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="376" />
        <source>Not saved</source>
        <translation>未保存</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="377" />
        <source>The fan data could not be written.

%1</source>
        <translation>风扇数据无法写入。

%1</translation>
    </message>
</context>
</TS>