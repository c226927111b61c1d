#include "options.h"

#include "selectionchecks.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cmath>

namespace {

// A video's longer side: big enough to see the fans, small enough for any player.
constexpr int minVideoSide = 64;
constexpr int maxVideoSide = 4096;

bool parseCount(const QString& text, int* value)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 0)
        return false;
    *value = number;
    return true;
}

// X,Y,W,H in source pixels; numbers with a decimal point, whatever the system language.
bool parseSelection(const QString& text, QRectF* selection)
{
    const QStringList parts = text.split(',');
    if (parts.size() != 4)
        return false;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(values[i]))
            return false;
    }
    *selection = QRectF(values[0], values[1], values[2], values[3]);
    return true;
}

// A non-negative decimal number without sign or exponent, as a count of microseconds.
bool parseDecimalMicroseconds(const QString& text, double unitUs, double* us)
{
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+(\\.[0-9]*)?$|^\\.[0-9]+$"));
    if (!decimal.match(text).hasMatch())
        return false;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return false;
    *us = value * unitUs;
    return true;
}

bool parseSourceOptions(const QCommandLineParser& parser, const QCommandLineOption& start,
                        const QCommandLineOption& end, const QCommandLineOption& timing,
                        SourceOptions* source, QString* error)
{
    const auto readTime = [&](const QCommandLineOption& option, qint64* us) {
        if (!parser.isSet(option) || parseClipTime(parser.value(option), us))
            return true;
        *error = QStringLiteral("--%1 '%2' is no time: seconds from 0 (12.5) or H:MM:SS.mmm")
                     .arg(option.names().first(), parser.value(option));
        return false;
    };
    if (!readTime(start, &source->range.startUs) || !readTime(end, &source->range.endUs))
        return false;
    if (source->range.startUs >= source->range.endUs) {
        *error = QStringLiteral("--start %1 is not before --end %2")
                     .arg(parser.value(start), parser.value(end));
        return false;
    }
    const QString timingName = parser.value(timing);
    if (timingName == QLatin1String("exact")) {
        source->timing = Timing::Exact;
    } else if (parser.isSet(timing) && timingName != QLatin1String("stepped")) {
        *error = QStringLiteral("--timing '%1' is unknown: stepped or exact").arg(timingName);
        return false;
    }
    return true;
}

// A colour value of the picture adjustments: a number with a decimal point within its range.
bool parseAdjustment(const QString& text, const PictureAdjustments::Range& range, double* value,
                     QString* error)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !PictureAdjustments::inRange(range, number)) {
        *error = QStringLiteral("--%1 takes a number from %2 to %3, not '%4'")
                     .arg(QLatin1String(range.name))
                     .arg(range.low)
                     .arg(range.high)
                     .arg(text);
        return false;
    }
    *value = number;
    return true;
}

} // namespace

bool parseClipTime(const QString& text, qint64* us)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 3)
        return false;
    double total = 0;
    double unitUs = 1e6;
    // From the seconds leftwards: seconds, minutes, hours; only the seconds take decimals.
    for (int i = parts.size() - 1; i >= 0; --i) {
        const QString& part = parts.at(i);
        const bool seconds = i == parts.size() - 1;
        if (!seconds && (part.isEmpty() || part.contains(QLatin1Char('.'))))
            return false;
        double value = 0;
        if (!parseDecimalMicroseconds(part, unitUs, &value))
            return false;
        total += value;
        unitUs *= 60;
    }
    // Beyond a hundred years no clip reaches, and the count must fit.
    if (!(total < 3.2e15))
        return false;
    *us = qint64(std::llround(total));
    return true;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: rotavis-convert --panel INDEX|MODEL --input MEDIA --output DIR/NAME [options]\n"
        "  or:  rotavis-convert --panel INDEX|MODEL --input MEDIA|FOLDER... --output DIR "
        "[options]\n"
        "  or:  rotavis-convert --list-panels [--config FILE]\n"
        "  or:  rotavis-convert --check-config [FILE]\n"
        "  or:  rotavis-convert --inspect FILE.bin [--frame N] [--png OUT.png [-y]]\n"
        "  or:  rotavis-convert --repair DIR/NAME\n"
        "  or:  rotavis-convert --play DIR/NAME --panel INDEX|MODEL --video OUT.mp4 [options]\n"
        "  or:  rotavis-convert --help | --version\n"
        "\n"
        "Converts videos or pictures into the fan data files of one panel, exactly as the\n"
        "Rotavis window saves them, without a display.\n"
        "\n"
        "Conversion:\n"
        "  --panel INDEX|MODEL  the panel: its position in the configuration (from 0), or\n"
        "                       its model name, matched exactly first, then without regard\n"
        "                       to case (a number is taken as a position; a name that\n"
        "                       matches different models in other case is refused)\n"
        "  --input MEDIA        any video or picture file FFmpeg reads; repeat --input or\n"
        "                       name a folder to convert several clips in one call\n"
        "  --output DIR/NAME    one clip: writes DIR/NAME.bin for a panel with one fan,\n"
        "                       otherwise DIR/NAME__0.bin, DIR/NAME__1.bin, ... (one per\n"
        "                       fan); DIR must exist\n"
        "  --output DIR         several clips: each clip's files are named after the clip\n"
        "                       (DIR/intro__0.bin for intro.mp4); DIR is made if missing\n"
        "  -y, --overwrite      replace existing fan data files and fan views, and remove\n"
        "                       the files of an older set of the name for other fans;\n"
        "                       without it the converter stops before writing anything\n"
        "  --selection X,Y,W,H  the region of the picture to show, in source pixels, for\n"
        "                       every clip; by default the largest region of the panel's\n"
        "                       proportions centred on the picture (what the window selects\n"
        "                       when the frame is not moved). W and H must be above 0, each\n"
        "                       number within 1000000 of 0, and the region must cover some\n"
        "                       of the picture; other proportions than the panel's are\n"
        "                       converted stretched, with a warning\n"
        "  --brightness B       picture adjustments for every clip, applied to each decoded\n"
        "  --contrast K         picture before the selection: saturation S (0 to 3, default\n"
        "  --saturation S       1), then contrast K (0 to 3, default 1) and brightness B (-1\n"
        "  --gamma G            to 1, default 0) as (c - 127.5) * K + 127.5 + 255 * B, then\n"
        "                       gamma G (0.2 to 5, default 1) as 255 * (c / 255)^(1/G)\n"
        "  --rotate 0|90|180|270\n"
        "                       turns the picture clockwise (also before the selection, whose\n"
        "                       numbers are in the turned picture)\n"
        "  --mirror             flips the (turned) picture left to right\n"
        "  --config FILE        the installation (default: fanconfig.xml beside this program)\n"
        "  --fan-view N         also writes, for converted frame N (from 0), a picture of\n"
        "                       what each fan shows: DIR/NAME.view.png or DIR/NAME__i.view.png\n"
        "  --video OUT.mp4      also renders what the fans show, frame by frame, into a\n"
        "                       video at the panel's rate (one clip only)\n"
        "  --video-size N       the video's longer side in pixels (default 1080)\n"
        "  --start T, --end T   converts only the pictures shown from T (included) to T\n"
        "                       (excluded), counted from the clip's first picture: seconds\n"
        "                       with decimals (12.5) or H:MM:SS.mmm (0:01:02.500); either may\n"
        "                       be left out. The pictures are converted as a clip holding\n"
        "                       only them would be\n"
        "  --timing stepped|exact\n"
        "                       how the clip's rate is brought to the panel's: stepped (the\n"
        "                       default) drops or repeats every n-th picture, so 25 and 30\n"
        "                       fps clips play shorter on an 18 Hz panel; exact shows each\n"
        "                       picture as long as it lasts in the clip, keeping its length\n"
        "  --no-autorotate      keeps the pictures as coded, not turned as the clip's\n"
        "                       rotation (a phone's display matrix) asks\n"
        "  --quiet              no progress\n"
        "  --verbose            also the decoder's and converter's diagnostic lines\n"
        "\n"
        "  Progress goes to standard error: a live line on a terminal, a line every ten\n"
        "  seconds otherwise. Several clips get one line each and a summary table on\n"
        "  standard output. Ctrl-C stops the run; the files then hold whole frames only.\n"
        "\n"
        "Other forms:\n"
        "  --list-panels        prints the panels: index, model, size, rate and fans\n"
        "  --check-config [FILE]\n"
        "                       reads an installation (default: --config, or the one\n"
        "                       beside this program, named where its link leads) as the\n"
        "                       window does and reports, with line numbers, what is\n"
        "                       probably a mistake\n"
        "  --inspect FILE.bin   checks every packet of a fan data file and prints its LED\n"
        "                       count, lines per frame and frame count, or what is wrong\n"
        "                       at which byte\n"
        "  --frame N            with --inspect: the frame to render (default 0)\n"
        "  --png OUT.png        with --inspect: writes the picture of frame N (an existing\n"
        "                       file only with --overwrite)\n"
        "  --play DIR/NAME      renders the saved set DIR/NAME (or any file of it) for the\n"
        "                       panel --panel into the video --video, as the fans show it\n"
        "  --repair DIR/NAME    cuts the fan data files DIR/NAME.bin or DIR/NAME__0.bin,\n"
        "                       DIR/NAME__1.bin, ... back to the frames that every file of\n"
        "                       the set holds whole (after a conversion was killed), and\n"
        "                       says what it cut; a set that no killed run leaves (damage,\n"
        "                       files more than a frame apart, a file missing) is left alone\n"
        "\n"
        "  A 224- or 192-LED file does not record the bit-plane turn of its lines (the\n"
        "  halves of the blade swap every 300 lines); --inspect assumes the file was the\n"
        "  only such fan of the clip's run, in a fresh program.\n"
        "\n"
        "Exit status: 0 done; 1 other failure; 2 bad usage (also: files exist without\n"
        "--overwrite, no frame N for --fan-view, a --panel name that fits several panels\n"
        "in case only, a --selection outside the clip's picture, a --start/--end range\n"
        "without pictures, another run writing the same set, a clip of a batch whose name\n"
        "gives no name for its files); 3 no such\n"
        "panel (or the configuration cannot be read, or the panel has values no conversion\n"
        "can work with, such as a rate above 1000 Hz; with --check-config: something was\n"
        "found); 4 the input gives no picture, or is a pipe that can be read only once; 5 an\n"
        "output file cannot be written; 6 --inspect or --repair found a damaged file, or\n"
        "--repair a set that no stopped or killed run leaves;\n"
        "130 interrupted (Ctrl-C), 143 terminated (SIGTERM), 129 hung up (SIGHUP); the files\n"
        "then hold whole frames only. With several clips, the worst (highest) of the clips'\n"
        "statuses.\n");
}

bool parseOptions(const QStringList& arguments, const QString& defaultConfigPath, Options* options,
                  QString* error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "help");
    const QCommandLineOption version("version", "version");
    const QCommandLineOption config("config", "config", "FILE");
    const QCommandLineOption panel("panel", "panel", "INDEX|MODEL");
    const QCommandLineOption input("input", "input", "MEDIA");
    const QCommandLineOption output("output", "output", "DIR/NAME");
    const QCommandLineOption overwrite({"y", "overwrite"}, "overwrite");
    const QCommandLineOption selection("selection", "selection", "X,Y,W,H");
    const QCommandLineOption listPanels("list-panels", "list");
    const QCommandLineOption checkConfig("check-config", "check");
    const QCommandLineOption fanView("fan-view", "fan view", "N");
    const QCommandLineOption quiet("quiet", "quiet");
    const QCommandLineOption verbose("verbose", "verbose");
    const QCommandLineOption inspect("inspect", "inspect", "FILE.bin");
    const QCommandLineOption frame("frame", "frame", "N");
    const QCommandLineOption png("png", "png", "OUT.png");
    const QCommandLineOption repair("repair", "repair", "DIR/NAME");
    const QCommandLineOption play("play", "play", "DIR/NAME");
    const QCommandLineOption video("video", "video", "OUT.mp4");
    const QCommandLineOption videoSize("video-size", "video size", "N");
    const QCommandLineOption start("start", "start", "T");
    const QCommandLineOption end("end", "end", "T");
    const QCommandLineOption timing("timing", "timing", "stepped|exact");
    const QCommandLineOption noAutorotate("no-autorotate", "no autorotate");
    const QCommandLineOption brightness("brightness", "brightness", "B");
    const QCommandLineOption contrast("contrast", "contrast", "K");
    const QCommandLineOption saturation("saturation", "saturation", "S");
    const QCommandLineOption gamma("gamma", "gamma", "G");
    const QCommandLineOption rotate("rotate", "rotate", "DEGREES");
    const QCommandLineOption mirror("mirror", "mirror");
    parser.addOptions({help,      version,   config,     panel,       input,   output,
                       overwrite, selection, listPanels, checkConfig, fanView, quiet,
                       verbose,   inspect,   frame,      png,         repair,  play,
                       video,     videoSize, start,      end,         timing,  noAutorotate});
    parser.addOptions({brightness, contrast, saturation, gamma, rotate, mirror});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    // Only --check-config takes a plain argument: the file to check.
    const QStringList positional = parser.positionalArguments();
    const int allowedPositional = parser.isSet(checkConfig) ? 1 : 0;
    if (positional.size() > allowedPositional) {
        *error = QStringLiteral("unexpected argument '%1'").arg(positional.at(allowedPositional));
        return false;
    }

    Options result;
    result.configPath = parser.isSet(config) ? parser.value(config) : defaultConfigPath;
    result.quiet = parser.isSet(quiet);
    result.verbose = parser.isSet(verbose);
    result.overwrite = parser.isSet(overwrite);

    if (parser.isSet(help)) {
        result.mode = Options::Mode::Help;
    } else if (parser.isSet(version)) {
        result.mode = Options::Mode::Version;
    } else if (parser.isSet(checkConfig)) {
        result.mode = Options::Mode::CheckConfig;
        if (!positional.isEmpty())
            result.configPath = positional.first();
    } else if (parser.isSet(inspect)) {
        result.mode = Options::Mode::Inspect;
        result.inspectPath = parser.value(inspect);
        if (parser.isSet(frame) && !parseCount(parser.value(frame), &result.inspectFrame)) {
            *error = QStringLiteral("--frame takes a frame number from 0");
            return false;
        }
        result.pngPath = parser.value(png);
    } else if (parser.isSet(repair)) {
        result.mode = Options::Mode::Repair;
        result.repairName = parser.value(repair);
    } else if (parser.isSet(listPanels)) {
        result.mode = Options::Mode::ListPanels;
    } else if (parser.isSet(play)) {
        result.mode = Options::Mode::Play;
        result.playName = parser.value(play);
        for (const QCommandLineOption* required : {&panel, &video}) {
            if (!parser.isSet(*required) || parser.value(*required).isEmpty()) {
                *error = QStringLiteral("--play needs --%1").arg(required->names().first());
                return false;
            }
        }
        if (parser.isSet(input) || parser.isSet(output)) {
            *error = QStringLiteral("--play renders a saved set: it takes no --input or --output");
            return false;
        }
        result.panel = parser.value(panel);
    } else {
        result.mode = Options::Mode::Convert;
        for (const QCommandLineOption* required : {&panel, &input, &output}) {
            if (!parser.isSet(*required) || parser.value(*required).isEmpty()) {
                *error = QStringLiteral("--%1 is needed").arg(required->names().first());
                return false;
            }
        }
        result.panel = parser.value(panel);
        result.inputs = parser.values(input);
        if (result.inputs.contains(QString())) {
            *error = QStringLiteral("--input takes a file or folder name");
            return false;
        }
        const QStringList outputs = parser.values(output);
        if (outputs.size() > 1) {
            *error =
                QStringLiteral("--output is given %1 times; it takes one name").arg(outputs.size());
            return false;
        }
        result.outputPath = outputs.first();
        if (parser.isSet(selection)) {
            result.hasSelection = true;
            if (!parseSelection(parser.value(selection), &result.selection)) {
                *error = QStringLiteral("--selection takes four numbers: X,Y,W,H");
                return false;
            }
            const QString problem = SelectionChecks::valueProblem(result.selection);
            if (!problem.isEmpty()) {
                *error = problem;
                return false;
            }
        }
        if (parser.isSet(fanView) && !parseCount(parser.value(fanView), &result.fanViewFrame)) {
            *error = QStringLiteral("--fan-view takes a frame number from 0");
            return false;
        }
        if (!parseSourceOptions(parser, start, end, timing, &result.source, error))
            return false;
        result.source.autorotate = !parser.isSet(noAutorotate);
        const std::pair<const QCommandLineOption*,
                        std::pair<const PictureAdjustments::Range*, double*>>
            colourOptions[] = {
                {&brightness,
                 {&PictureAdjustments::brightnessRange, &result.adjustments.brightness}},
                {&contrast, {&PictureAdjustments::contrastRange, &result.adjustments.contrast}},
                {&saturation,
                 {&PictureAdjustments::saturationRange, &result.adjustments.saturation}},
                {&gamma, {&PictureAdjustments::gammaRange, &result.adjustments.gamma}},
            };
        for (const auto& option : colourOptions) {
            if (parser.isSet(*option.first) &&
                !parseAdjustment(parser.value(*option.first), *option.second.first,
                                 option.second.second, error))
                return false;
        }
        if (parser.isSet(rotate)) {
            bool ok = false;
            const int degrees = parser.value(rotate).trimmed().toInt(&ok);
            if (!ok || !PictureAdjustments::validRotation(degrees)) {
                *error = QStringLiteral("--rotate takes 0, 90, 180 or 270, not '%1'")
                             .arg(parser.value(rotate));
                return false;
            }
            result.adjustments.rotation = degrees;
        }
        result.adjustments.mirror = parser.isSet(mirror);
    }
    for (const QCommandLineOption* option : {&start, &end, &timing, &noAutorotate, &brightness,
                                             &contrast, &saturation, &gamma, &rotate, &mirror}) {
        if (result.mode != Options::Mode::Convert && parser.isSet(*option)) {
            *error = QStringLiteral("--%1 goes with a conversion").arg(option->names().first());
            return false;
        }
    }
    if (result.mode != Options::Mode::Inspect && (parser.isSet(frame) || parser.isSet(png))) {
        *error = QStringLiteral("--frame and --png go with --inspect");
        return false;
    }
    const bool renders =
        result.mode == Options::Mode::Play || result.mode == Options::Mode::Convert;
    if (!renders && (parser.isSet(video) || parser.isSet(videoSize))) {
        *error = QStringLiteral("--video and --video-size go with --play or a conversion");
        return false;
    }
    result.videoPath = parser.value(video);
    if (parser.isSet(video) && result.videoPath.isEmpty()) {
        *error = QStringLiteral("--video takes the name of the video file");
        return false;
    }
    if (parser.isSet(videoSize) &&
        (!parseCount(parser.value(videoSize), &result.videoSize) ||
         result.videoSize < minVideoSide || result.videoSize > maxVideoSide)) {
        *error = QStringLiteral("--video-size takes the video's longer side in pixels, %1 to %2")
                     .arg(minVideoSide)
                     .arg(maxVideoSide);
        return false;
    }
    *options = result;
    return true;
}
