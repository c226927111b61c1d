<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../mainwindow.ui" line="+20"/>
        <source>Rotavis - V2.5</source>
        <translation>Rotavis - V2.5</translation>
    </message>
    <message>
        <location line="+17"/>
        <location filename="../mainwindow.cpp" line="+239"/>
        <source>open</source>
        <translation>打开</translation>
    </message>
    <message>
        <location line="+16"/>
        <location filename="../mainwindow.cpp" line="+2"/>
        <source>preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <location line="+16"/>
        <location filename="../mainwindow.cpp" line="-1"/>
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>00::00 / 00:00</source>
        <translation>00::00 / 00:00</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Title</source>
        <translation>标题</translation>
    </message>
    <message>
        <location line="+91"/>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <location line="+14"/>
        <location filename="../mainwindow.cpp" line="+2"/>
        <source>fans</source>
        <translation>风扇</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="-2"/>
        <location line="+1"/>
        <source>stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>No panel</source>
        <translation>没有屏幕</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No panel was found in the installation file:
%1

Preview and save need a panel.</source>
        <translation>配置文件中没有找到任何屏幕：
%1

预览和保存需要一个屏幕。</translation>
    </message>
    <message>
        <location line="+108"/>
        <location line="+36"/>
        <location line="+22"/>
        <location line="+29"/>
        <location line="+6"/>
        <location line="+6"/>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <location line="-101"/>
        <source>Files(*.*)</source>
        <translation>文件(*.*)</translation>
    </message>
    <message>
        <location line="-75"/>
        <source>Panel</source>
        <translation>屏幕</translation>
    </message>
    <message>
        <location line="+75"/>
        <source>fan data (*.bin)</source>
        <translation>风扇数据 (*.bin)</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>%1 is a pipe or device that can be read only once. Save it to a file first.</source>
        <translation>%1 是只能读取一次的管道或设备。请先将其保存为文件。</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>This file could not be read as a picture or video:
%1</source>
        <translation>无法将此文件读取为图片或视频：
%1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Reading %1 ...</source>
        <translation>正在读取 %1 ...</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>These fan data cannot be played:
%1

%2</source>
        <translation>无法播放这些风扇数据：
%1

%2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>These fan data cannot be played: the installation has no panel.</source>
        <translation>无法播放这些风扇数据：配置文件中没有屏幕。</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>No panel of the installation fits them.</source>
        <translation>配置文件中没有适合它们的屏幕。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>They fit the panel %1.</source>
        <translation>它们适合屏幕 %1。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>They fit the panels %1.</source>
        <translation>它们适合这些屏幕：%1。</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The fan data %1 do not fit the panel &quot;%2&quot;:
%3.

%4</source>
        <translation>风扇数据 %1 与屏幕“%2”不符：
%3。

%4</translation>
    </message>
    <message>
        <location line="+113"/>
        <source>frame %1 / %2</source>
        <translation>第 %1 / %2 帧</translation>
    </message>
    <message>
        <location line="+81"/>
        <location line="+171"/>
        <location line="+6"/>
        <source>ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="-176"/>
        <location line="+51"/>
        <source>cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <location line="-49"/>
        <location line="+10"/>
        <source>Input FileName</source>
        <translation>输入文件名</translation>
    </message>
    <message>
        <location line="-9"/>
        <source>Input FileName:</source>
        <translation>输入文件名：</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Please enter a name for the fan data files.</source>
        <translation>请输入风扇数据文件的名称。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The name must not contain &quot;/&quot; or &quot;\&quot;: the folder is chosen next.</source>
        <translation>名称中不能含有 &quot;/&quot; 或 &quot;\&quot;：文件夹在下一步选择。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&quot;%1&quot; cannot be used as a name.</source>
        <translation>不能用 &quot;%1&quot; 作名称。</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>and %1 more</source>
        <translation>另有 %1 个</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Replace files?</source>
        <translation>替换文件？</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>These fan data files already exist in %1:
%2

Replace them?</source>
        <translation>%1 中已有这些风扇数据文件：
%2

要替换它们吗？</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>replace</source>
        <translation>替换</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>This panel cannot be converted:
%1</source>
        <translation>此面板无法转换：
%1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Choose output directory</source>
        <translation>选择输出目录</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>Folder: %1</source>
        <translation>文件夹：%1</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>File: %1</source>
        <translation>文件：%1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Files: %1 to %2 (%3 files)</source>
        <translation>文件：%1 至 %2（共 %3 个）</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Frames in each file: %1</source>
        <translation>每个文件的帧数：%1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Stopped after %1 of about %2 frames.</source>
        <translation>已停止：约 %2 帧中已写入 %1 帧。</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Stopped after %1 frames.</source>
        <translation>已停止：已写入 %1 帧。</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Saving</source>
        <translation>正在保存</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The fan data are still being saved. Stop saving and close the window? The files then hold the frames written so far.</source>
        <translation>风扇数据仍在保存。要停止保存并关闭窗口吗？文件中将保留已写入的帧。</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>stop and close</source>
        <translation>停止并关闭</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>keep saving</source>
        <translation>继续保存</translation>
    </message>
    <message>
        <location line="+85"/>
        <source>%1% · %2 left</source>
        <translation>%1% · 剩余 %2</translation>
    </message>
    <message>
        <location line="-111"/>
        <source>Saved</source>
        <translation>已保存</translation>
    </message>
    <message>
        <location line="-99"/>
        <location line="+104"/>
        <source>Not saved</source>
        <translation>未保存</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The fan data could not be written.

%1</source>
        <translation>风扇数据无法写入。

%1</translation>
    </message>
    <message>
        <source>In point here (I)</source>
        <translation>在此设入点 (I)</translation>
    </message>
    <message>
        <source>Out point here (O)</source>
        <translation>在此设出点 (O)</translation>
    </message>
    <message>
        <source>Clear in and out points</source>
        <translation>清除入点和出点</translation>
    </message>
    <message>
        <source>Turn clips as their rotation says</source>
        <translation>按视频的旋转信息摆正画面</translation>
    </message>
    <message>
        <source>Keep the clip's length (exact timing)</source>
        <translation>保持视频时长（精确计时）</translation>
    </message>
    <message>
        <source>the end</source>
        <translation>结尾</translation>
    </message>
    <message>
        <source>Range: %1 to %2</source>
        <translation>范围：%1 到 %2</translation>
    </message>
    <message>
        <source>picture</source>
        <translation>画面</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>画面调整</translation>
    </message>
    <message>
        <source>brightness</source>
        <translation>亮度</translation>
    </message>
    <message>
        <source>contrast</source>
        <translation>对比度</translation>
    </message>
    <message>
        <source>saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>gamma</source>
        <translation>伽马</translation>
    </message>
    <message>
        <source>rotation</source>
        <translation>旋转</translation>
    </message>
    <message>
        <source>mirror</source>
        <translation>镜像</translation>
    </message>
    <message>
        <source>reset</source>
        <translation>复位</translation>
    </message>
    <message>
        <source>close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Picture: %1</source>
        <translation>画面：%1</translation>
    </message>
    <message>
        <source>rotated %1°</source>
        <translation>旋转 %1°</translation>
    </message>
    <message>
        <source>mirrored</source>
        <translation>镜像</translation>
    </message>
</context>
<context>
    <name>PanelLimits</name>
    <message>
        <source>panel &quot;%1&quot;</source>
        <translation>屏幕“%1”</translation>
    </message>
    <message>
        <source>%1 has no fans</source>
        <translation>%1 没有风扇</translation>
    </message>
    <message>
        <source>%1 plays at %2 Hz; a panel plays at most %3 frames a second</source>
        <translation>%1 的播放速率为 %2 Hz；屏幕每秒最多播放 %3 帧</translation>
    </message>
    <message>
        <source>%1 is %2 x %3 units; each side must be a number above 0 that makes 1 to %4 pixels of the working picture at %5 pixels a unit</source>
        <translation>%1 为 %2 x %3 单位；每条边必须是大于 0 的数，并且按每单位 %5 像素在工作图像上为 1 到 %4 像素</translation>
    </message>
    <message>
        <source>%1 is %2 x %3 units; its working picture would be larger than 2 GB</source>
        <translation>%1 为 %2 x %3 单位；其工作图像将大于 2 GB</translation>
    </message>
    <message>
        <source>fan %1</source>
        <translation>风扇 %1</translation>
    </message>
    <message>
        <source>%1 has %2 LEDs; a blade has 1 to %3</source>
        <translation>%1 有 %2 个 LED；叶片的 LED 数为 1 到 %3</translation>
    </message>
    <message>
        <source>%1 has %2 = %3; it must be a number from %4 to %5</source>
        <translation>%1 的 %2 = %3；它必须是 %4 到 %5 之间的数</translation>
    </message>
</context>
</TS>
