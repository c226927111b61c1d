#include "configcheck.h"

#include "bladetypes.h"
#include "cnumericlocale.h"
#include "commands.h"
#include "exitstatus.h"
#include "loadedpanels.h"
#include "messages.h"
#include "nativepath.h"
#include "options.h"
#include "panel.h"
#include "panellimits.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QVector>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <pugixml.hpp>
#include <vector>

namespace {

// Whether blades of `ledpcs` LEDs have a data layout of their own (the blade table: each type
// with its own packets, hub dimming or bit-plane packing); the others use the plain layout.
bool hasOwnBladeLayout(int ledpcs)
{
    return std::any_of(std::begin(bladeTypes), std::end(bladeTypes),
                       [ledpcs](const BladeType& blade) { return blade.ledpcs == ledpcs; });
}

enum class NumberKind
{
    Real,  // read with as_double
    Whole, // read with as_int
};

struct AttributeRule
{
    const char* name;
    NumberKind kind;
};

// What the loader reads of each element; text attributes have no kind to check.
const QVector<AttributeRule> panelNumbers = {{"hz", NumberKind::Real},
                                             {"width", NumberKind::Real},
                                             {"height", NumberKind::Real},
                                             {"edge-offset", NumberKind::Whole}};
const QByteArrayList panelTexts = {"model", "colorOffset0", "colorOffset1"};
const QVector<AttributeRule> fanNumbers = {{"diameter", NumberKind::Real},
                                           {"ledpcs", NumberKind::Whole},
                                           {"x", NumberKind::Real},
                                           {"y", NumberKind::Real},
                                           {"z", NumberKind::Whole}};

bool readsWhole(const QString& text)
{
    // pugixml takes an optional sign, then decimal digits or 0x and hex digits.
    static const QRegularExpression whole(QStringLiteral("^[+-]?(0[xX][0-9a-fA-F]+|[0-9]+)$"));
    const QString trimmed = text.trimmed();
    if (!whole.match(trimmed).hasMatch())
        return false;
    bool ok = false;
    const bool hex = trimmed.contains(QLatin1Char('x'), Qt::CaseInsensitive);
    QString digits = trimmed;
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (digits.startsWith(QLatin1Char('+')) || negative)
        digits.remove(0, 1);
    const qlonglong value = (hex ? digits.mid(2) : digits).toLongLong(&ok, hex ? 16 : 10);
    return ok && (negative ? -value >= INT_MIN : value <= INT_MAX);
}

bool readsReal(const QByteArray& text)
{
    // What strtod takes whole, as pugixml's reader does, with nothing but blanks after it
    // (under the C numeric locale that checkInstallation sets).
    const char* begin = text.constData();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin)
        return false;
    while (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r')
        ++end;
    return *end == '\0' && std::isfinite(value);
}

double realOf(const pugi::xml_node& node, const char* name)
{
    return node.attribute(name).as_double(0);
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

// Where each line of the source starts, so that the line of an offset is found without
// counting the lines before it again: a file of many elements is checked in linear time.
class LineStarts
{
public:
    explicit LineStarts(const QByteArray& source)
    {
        starts.push_back(0);
        for (qsizetype i = 0; i < source.size(); ++i) {
            if (source.at(i) == '\n')
                starts.push_back(i + 1);
        }
    }

    // The line (from 1) that holds the byte at `offset`; the last line for offsets past the
    // end, the first for an offset the parser does not know (negative).
    int lineOf(std::ptrdiff_t offset) const
    {
        const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
        return std::max(1, int(after - starts.begin()));
    }

private:
    std::vector<std::ptrdiff_t> starts;
};

class Checker
{
public:
    explicit Checker(const QByteArray& source) : lines(source) {}

    void check(const pugi::xml_document& document)
    {
        const pugi::xml_node panels = document.child("panels");
        if (!panels) {
            const pugi::xml_node root = document.document_element();
            add(root ? lineOf(root) : 1,
                root ? QStringLiteral("the top element is <%1>, not <panels>: the window shows "
                                      "no panels")
                           .arg(QString::fromUtf8(root.name()))
                     : QStringLiteral("no <panels> element: the window shows no panels"));
            return;
        }
        reportOtherChildren(panels, "panel", QStringLiteral("<panels>"));
        int index = 0;
        for (const pugi::xml_node& panel : panels.children("panel"))
            checkPanel(panel, index++);
        if (index == 0)
            add(lineOf(panels), QStringLiteral("<panels> holds no <panel>: the window shows no "
                                               "panels"));
    }

    void add(int line, const QString& text, int column = 0)
    {
        findings.append({line, column, text});
    }

    int lineOf(std::ptrdiff_t offset) const { return lines.lineOf(offset); }
    int lineOf(const pugi::xml_node& node) const { return lineOf(node.offset_debug()); }

    // Adds what a conversion would refuse in the panels as the window reads them, for the
    // panels that have no finding yet (a finding there names the cause already).
    void checkLimits(const QList<Panel*>& panels)
    {
        for (int i = 0; i < panels.size() && i < lineOfPanel.size(); ++i) {
            if (panelFound.at(i))
                continue;
            const QString refused = PanelLimits::problem(*panels.at(i));
            if (!refused.isEmpty())
                add(lineOfPanel.at(i),
                    QStringLiteral("panel %1 \"%2\": a conversion refuses it (%3)")
                        .arg(i)
                        .arg(panels.at(i)->model, refused));
        }
    }

    QList<ConfigFinding> findings;

private:
    void checkPanel(const pugi::xml_node& node, int index)
    {
        const int findingsBefore = findings.size();
        const QString model = QString::fromUtf8(node.attribute("model").as_string(""));
        const QString name = QStringLiteral("panel %1 \"%2\"").arg(index).arg(model);
        const int line = lineOf(node);
        checkAttributes(node, name, panelNumbers, panelTexts);

        const double hz = realOf(node, "hz");
        if (hz < 0)
            add(line, QStringLiteral("%1: hz=%2 is a negative rate").arg(name, number(hz)));
        else if (hz > PanelLimits::maxRate)
            add(line, QStringLiteral("%1: hz=%2 is above %3 Hz: a conversion refuses it")
                          .arg(name, number(hz), number(PanelLimits::maxRate)));
        const double width = realOf(node, "width");
        const double height = realOf(node, "height");
        const struct
        {
            const char* name;
            double value;
        } sides[] = {{"width", width}, {"height", height}};
        for (const auto& side : sides) {
            if (!(side.value > 0))
                add(line,
                    QStringLiteral("%1: %2 is %3%4: the panel has no size")
                        .arg(name, QString::fromLatin1(side.name), number(side.value),
                             node.attribute(side.name) ? QString() : QStringLiteral(" (missing)")));
        }

        reportNameGivenBefore(name, model, index, line);
        lineOfPanel.append(line);
        modelOfPanel.append(model);

        reportOtherChildren(node, "fan", name);
        int fanIndex = 0;
        for (const pugi::xml_node& fan : node.children("fan"))
            checkFan(fan, QStringLiteral("fan %1 of %2").arg(fanIndex++).arg(name), width, height);
        if (fanIndex == 0)
            add(line, QStringLiteral("%1 has no fans").arg(name));
        panelFound.append(findings.size() > findingsBefore);
    }

    // A name given to an earlier panel finds that panel; names that differ in case only
    // make --panel in any other case ambiguous.
    void reportNameGivenBefore(const QString& name, const QString& model, int index, int line)
    {
        const int first = firstPanelOfModel.value(model, -1);
        if (first >= 0) {
            add(line, QStringLiteral("%1 has the name of panel %2 (line %3); --panel by name "
                                     "finds panel %2")
                          .arg(name)
                          .arg(first)
                          .arg(lineOfPanel.at(first)));
            return;
        }
        firstPanelOfModel.insert(model, index);
        const QString folded = model.toCaseFolded();
        const int sameButCase = firstPanelOfFoldedModel.value(folded, -1);
        if (sameButCase < 0) {
            firstPanelOfFoldedModel.insert(folded, index);
            return;
        }
        add(line, QStringLiteral("%1 differs from panel %2 \"%3\" (line %4) in case only; "
                                 "--panel by name needs the exact case for these")
                      .arg(name)
                      .arg(sameButCase)
                      .arg(modelOfPanel.at(sameButCase))
                      .arg(lineOfPanel.at(sameButCase)));
    }

    void checkFan(const pugi::xml_node& node, const QString& name, double panelWidth,
                  double panelHeight)
    {
        const int line = lineOf(node);
        checkAttributes(node, name, fanNumbers, QByteArrayList());

        const double diameter = realOf(node, "diameter");
        const int ledpcs = node.attribute("ledpcs").as_int(0);
        const QString missing = QStringLiteral(" (missing)");
        if (!(diameter > 0))
            add(line,
                QStringLiteral("%1: diameter is %2%3")
                    .arg(name, number(diameter), node.attribute("diameter") ? QString() : missing));
        if (ledpcs <= 0)
            add(line, QStringLiteral("%1: ledpcs is %2%3")
                          .arg(name)
                          .arg(ledpcs)
                          .arg(node.attribute("ledpcs") ? QString() : missing));
        else if (!hasOwnBladeLayout(ledpcs))
            add(line, QStringLiteral("%1: %2 is no blade type (1088, 704, 512, 320, 256, 224, "
                                     "192); its lines get the plain layout")
                          .arg(name, counted(ledpcs, QStringLiteral("LED"))));

        if (!(diameter > 0 && panelWidth > 0 && panelHeight > 0))
            return;
        const double x = realOf(node, "x");
        const double y = realOf(node, "y");
        const double radius = diameter / 2;
        if (x - radius < 0 || y - radius < 0 || x + radius > panelWidth || y + radius > panelHeight)
            add(line, QStringLiteral("%1 reaches outside its panel: the circle spans x %2 to %3 "
                                     "and y %4 to %5 on a panel of %6 x %7")
                          .arg(name, number(x - radius), number(x + radius), number(y - radius),
                               number(y + radius), number(panelWidth), number(panelHeight)));
    }

    void checkAttributes(const pugi::xml_node& node, const QString& name,
                         const QVector<AttributeRule>& numbers, const QByteArrayList& texts)
    {
        const int line = lineOf(node);
        for (const pugi::xml_attribute& attribute : node.attributes()) {
            const QByteArray key = attribute.name();
            const auto rule = std::find_if(numbers.begin(), numbers.end(),
                                           [&](const AttributeRule& r) { return key == r.name; });
            if (rule == numbers.end()) {
                if (!texts.contains(key))
                    add(line, QStringLiteral("%1: the attribute %2 is not read")
                                  .arg(name, QString::fromUtf8(key)));
                continue;
            }
            const QByteArray text = attribute.value();
            const bool whole = rule->kind == NumberKind::Whole;
            if (whole ? readsWhole(QString::fromUtf8(text)) : readsReal(text))
                continue;
            double read = whole ? attribute.as_int(0) : realOf(node, rule->name);
            if (key == "hz" && read == 0)
                read = 18; // the loader's default rate
            add(line,
                QStringLiteral("%1: %2=\"%3\" is not %4; the window reads %5")
                    .arg(name, QString::fromUtf8(key), QString::fromUtf8(text),
                         whole ? QStringLiteral("a whole number") : QStringLiteral("a number"),
                         number(read)));
        }
    }

    void reportOtherChildren(const pugi::xml_node& node, const char* childName,
                             const QString& where)
    {
        for (const pugi::xml_node& child : node.children()) {
            if (child.type() == pugi::node_element && QByteArray(child.name()) != childName)
                add(lineOf(child), QStringLiteral("<%1> in %2 is not read")
                                       .arg(QString::fromUtf8(child.name()), where));
        }
    }

    const LineStarts lines;
    QHash<QString, int> firstPanelOfModel;       // by model: the first panel of that name
    QHash<QString, int> firstPanelOfFoldedModel; // by case-folded model: the first panel
    QList<int> lineOfPanel;
    QStringList modelOfPanel;
    QList<bool> panelFound; // per panel: whether it has a finding
};

} // namespace

QList<ConfigFinding> checkInstallation(const QString& path)
{
    QFile file;
    if (!NativePath::open(file, path, QIODevice::ReadOnly))
        return {{0, 0,
                 QStringLiteral("cannot be read (%1): the window shows no panels")
                     .arg(file.errorString())}};
    const QByteArray source = file.readAll();

    // The window's reading: default options, encoding detected.
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(
        source.constData(), size_t(source.size()), pugi::parse_default, pugi::encoding_auto);
    Checker checker(source);
    {
        // Numbers are read with a decimal point, whatever the user's locale.
        const CNumericLocaleScope cNumbers;
        checker.check(document);
    }
    // The panels as the window makes them of the same document.
    LoadedPanels panels;
    panels.read(document);
    checker.checkLimits(panels.list());
    if (!result) {
        const qsizetype stop = std::min<qsizetype>(result.offset, source.size());
        const qsizetype lineStart = source.lastIndexOf('\n', stop - 1) + 1;
        checker.add(checker.lineOf(result.offset),
                    QStringLiteral("not well-formed XML (%1): the window reads only what comes "
                                   "before")
                        .arg(QString::fromUtf8(result.description())),
                    int(stop - lineStart) + 1);
    }
    QList<ConfigFinding> findings = checker.findings;
    std::stable_sort(
        findings.begin(), findings.end(),
        [](const ConfigFinding& a, const ConfigFinding& b) { return a.line < b.line; });
    return findings;
}

int checkConfig(const Options& options)
{
    const QString file = native(options.configPath);
    const QList<ConfigFinding> findings = checkInstallation(options.configPath);
    for (const ConfigFinding& finding : findings) {
        QString where = file;
        if (finding.line > 0)
            where += QStringLiteral(":%1").arg(finding.line);
        if (finding.column > 0)
            where += QStringLiteral(":%1").arg(finding.column);
        std::printf("%s: %s\n", qPrintable(where), qPrintable(finding.text));
    }
    std::printf("%s: %s\n", qPrintable(file),
                findings.isEmpty()
                    ? "nothing found"
                    : qPrintable(counted(findings.size(), QStringLiteral("finding"))));
    return findings.isEmpty() ? ExitSuccess : ExitNoSuchPanel;
}
