<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
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
        <translation>open</translation>
    </message>
    <message>
        <location line="+16"/>
        <location filename="../mainwindow.cpp" line="+2"/>
        <source>preview</source>
        <translation>preview</translation>
    </message>
    <message>
        <location line="+16"/>
        <location filename="../mainwindow.cpp" line="-1"/>
        <source>save</source>
        <translation>save</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>00::00 / 00:00</source>
        <translation>00::00 / 00:00</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Title</source>
        <translation>Title</translation>
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
        <translation>fans</translation>
    </message>
    <message>
        <location filename="../mainwindow.cpp" line="-2"/>
        <location line="+1"/>
        <source>stop</source>
        <translation>stop</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>No panel</source>
        <translation>No panel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No panel was found in the installation file:
%1

Preview and save need a panel.</source>
        <translation>No panel was found in the installation file:
%1

Preview and save need a panel.</translation>
    </message>
    <message>
        <location line="+108"/>
        <location line="+36"/>
        <location line="+22"/>
        <location line="+29"/>
        <location line="+6"/>
        <location line="+6"/>
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <location line="-101"/>
        <source>Files(*.*)</source>
        <translation>Files(*.*)</translation>
    </message>
    <message>
        <location line="-75"/>
        <source>Panel</source>
        <translation>Panel</translation>
    </message>
    <message>
        <location line="+75"/>
        <source>fan data (*.bin)</source>
        <translation>fan data (*.bin)</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>%1 is a pipe or device that can be read only once. Save it to a file first.</source>
        <translation>%1 is a pipe or device that can be read only once. Save it to a file first.</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>This file could not be read as a picture or video:
%1</source>
        <translation>This file could not be read as a picture or video:
%1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Reading %1 ...</source>
        <translation>Reading %1 ...</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>These fan data cannot be played:
%1

%2</source>
        <translation>These fan data cannot be played:
%1

%2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>These fan data cannot be played: the installation has no panel.</source>
        <translation>These fan data cannot be played: the installation has no panel.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>No panel of the installation fits them.</source>
        <translation>No panel of the installation fits them.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>They fit the panel %1.</source>
        <translation>They fit the panel %1.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>They fit the panels %1.</source>
        <translation>They fit the panels %1.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The fan data %1 do not fit the panel &quot;%2&quot;:
%3.

%4</source>
        <translation>The fan data %1 do not fit the panel &quot;%2&quot;:
%3.

%4</translation>
    </message>
    <message>
        <location line="+113"/>
        <source>frame %1 / %2</source>
        <translation>frame %1 / %2</translation>
    </message>
    <message>
        <location line="+81"/>
        <location line="+171"/>
        <location line="+6"/>
        <source>ok</source>
        <translation>ok</translation>
    </message>
    <message>
        <location line="-176"/>
        <location line="+51"/>
        <source>cancel</source>
        <translation>cancel</translation>
    </message>
    <message>
        <location line="-49"/>
        <location line="+10"/>
        <source>Input FileName</source>
        <translation>Input FileName</translation>
    </message>
    <message>
        <location line="-9"/>
        <source>Input FileName:</source>
        <translation>Input FileName:</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Please enter a name for the fan data files.</source>
        <translation>Please enter a name for the fan data files.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The name must not contain &quot;/&quot; or &quot;\&quot;: the folder is chosen next.</source>
        <translation>The name must not contain &quot;/&quot; or &quot;\&quot;: the folder is chosen next.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&quot;%1&quot; cannot be used as a name.</source>
        <translation>&quot;%1&quot; cannot be used as a name.</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>and %1 more</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Replace files?</source>
        <translation>Replace files?</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>These fan data files already exist in %1:
%2

Replace them?</source>
        <translation>These fan data files already exist in %1:
%2

Replace them?</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>replace</source>
        <translation>replace</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>This panel cannot be converted:
%1</source>
        <translation>This panel cannot be converted:
%1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Choose output directory</source>
        <translation>Choose output directory</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>Folder: %1</source>
        <translation>Folder: %1</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>File: %1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Files: %1 to %2 (%3 files)</source>
        <translation>Files: %1 to %2 (%3 files)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Frames in each file: %1</source>
        <translation>Frames in each file: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Stopped after %1 of about %2 frames.</source>
        <translation>Stopped after %1 of about %2 frames.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Stopped after %1 frames.</source>
        <translation>Stopped after %1 frames.</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Saving</source>
        <translation>Saving</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The fan data are still being saved. Stop saving and close the window? The files then hold the frames written so far.</source>
        <translation>The fan data are still being saved. Stop saving and close the window? The files then hold the frames written so far.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>stop and close</source>
        <translation>stop and close</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>keep saving</source>
        <translation>keep saving</translation>
    </message>
    <message>
        <location line="+85"/>
        <source>%1% · %2 left</source>
        <translation>%1% · %2 left</translation>
    </message>
    <message>
        <location line="-111"/>
        <source>Saved</source>
        <translation>Saved</translation>
    </message>
    <message>
        <location line="-99"/>
        <location line="+104"/>
        <source>Not saved</source>
        <translation>Not saved</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The fan data could not be written.

%1</source>
        <translation>The fan data could not be written.

%1</translation>
    </message>
    <message>
        <source>In point here (I)</source>
        <translation>In point here (I)</translation>
    </message>
    <message>
        <source>Out point here (O)</source>
        <translation>Out point here (O)</translation>
    </message>
    <message>
        <source>Clear in and out points</source>
        <translation>Clear in and out points</translation>
    </message>
    <message>
        <source>Turn clips as their rotation says</source>
        <translation>Turn clips as their rotation says</translation>
    </message>
    <message>
        <source>Keep the clip's length (exact timing)</source>
        <translation>Keep the clip's length (exact timing)</translation>
    </message>
    <message>
        <source>the end</source>
        <translation>the end</translation>
    </message>
    <message>
        <source>Range: %1 to %2</source>
        <translation>Range: %1 to %2</translation>
    </message>
    <message>
        <source>picture</source>
        <translation>picture</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>brightness</source>
        <translation>brightness</translation>
    </message>
    <message>
        <source>contrast</source>
        <translation>contrast</translation>
    </message>
    <message>
        <source>saturation</source>
        <translation>saturation</translation>
    </message>
    <message>
        <source>gamma</source>
        <translation>gamma</translation>
    </message>
    <message>
        <source>rotation</source>
        <translation>rotation</translation>
    </message>
    <message>
        <source>mirror</source>
        <translation>mirror</translation>
    </message>
    <message>
        <source>reset</source>
        <translation>reset</translation>
    </message>
    <message>
        <source>close</source>
        <translation>close</translation>
    </message>
    <message>
        <source>Picture: %1</source>
        <translation>Picture: %1</translation>
    </message>
    <message>
        <source>rotated %1°</source>
        <translation>rotated %1°</translation>
    </message>
    <message>
        <source>mirrored</source>
        <translation>mirrored</translation>
    </message>
</context>
<context>
    <name>PanelLimits</name>
    <message>
        <source>panel &quot;%1&quot;</source>
        <translation>panel &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 has no fans</source>
        <translation>%1 has no fans</translation>
    </message>
    <message>
        <source>%1 plays at %2 Hz; a panel plays at most %3 frames a second</source>
        <translation>%1 plays at %2 Hz; a panel plays at most %3 frames a second</translation>
    </message>
    <message>
        <source>%1 is %2 x %3 units; each side must be a number above 0 that makes 1 to %4 pixels of the working picture at %5 pixels a unit</source>
        <translation>%1 is %2 x %3 units; each side must be a number above 0 that makes 1 to %4 pixels of the working picture at %5 pixels a unit</translation>
    </message>
    <message>
        <source>%1 is %2 x %3 units; its working picture would be larger than 2 GB</source>
        <translation>%1 is %2 x %3 units; its working picture would be larger than 2 GB</translation>
    </message>
    <message>
        <source>fan %1</source>
        <translation>fan %1</translation>
    </message>
    <message>
        <source>%1 has %2 LEDs; a blade has 1 to %3</source>
        <translation>%1 has %2 LEDs; a blade has 1 to %3</translation>
    </message>
    <message>
        <source>%1 has %2 = %3; it must be a number from %4 to %5</source>
        <translation>%1 has %2 = %3; it must be a number from %4 to %5</translation>
    </message>
</context>
</TS>
