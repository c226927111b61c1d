// The main window as it comes up: its form, texts and language switch, the panel list and
// the panel choice, an installation without panels, and the play-time format.
#include "messagecapture.h"
#include "timeformat.h"
#include "windowtesting.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStyleOptionComboBox>
#include <QtTest>

#include <memory>

using namespace WindowTesting;

namespace {

// A square one-fan panel and a 2:1 two-fan panel.
const char* const twoPanels =
    R"(<panel model="Square" hz="18" width="320" height="320">
         <fan diameter="320" ledpcs="64" x="160" y="160" z="0"/>
       </panel>
       <panel model="Wide pair" hz="25" width="200" height="100">
         <fan diameter="100" ledpcs="64" x="50" y="50" z="0"/>
         <fan diameter="100" ledpcs="64" x="150" y="50" z="1"/>
       </panel>)";

// Moves a compiled catalogue away from beside the program for as long as it lives.
class CatalogueAside
{
public:
    explicit CatalogueAside(const QString& lang)
        : path(QCoreApplication::applicationDirPath() + "/" + lang + ".qm")
    {
        moved = QFile::rename(path, path + ".aside");
    }
    ~CatalogueAside()
    {
        if (moved)
            QFile::rename(path + ".aside", path);
    }
    bool moved = false;

private:
    QString path;
};

QStringList buttonTexts(const Parts& ui)
{
    return {ui.open->text(), ui.save->text(), ui.preview->text()};
}

const QStringList chinese{"打开", "保存", "预览"};
const QStringList english{"open", "save", "preview"};

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;
    std::unique_ptr<MainWindow> window;

    MainWindow& newWindow()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        return *window;
    }

private slots:
    void initTestCase() { messages = std::make_unique<MessageCapture>(); }
    void init()
    {
        freshSettings();
        writeConfig(twoPanels);
    }
    void cleanup() { window.reset(); }
    void cleanupTestCase() { removeConfig(); }

    void widgetsHaveTheirClassParentAndPlace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("open") << "pushButton_open"
                              << "QPushButton"
                              << "centralWidget" << QRect(20, 30, 114, 32);
        QTest::newRow("preview") << "pushButton_preview"
                                 << "QPushButton"
                                 << "centralWidget" << QRect(20, 70, 114, 32);
        QTest::newRow("save") << "pushButton_save"
                              << "QPushButton"
                              << "centralWidget" << QRect(20, 110, 114, 32);
        QTest::newRow("panels") << "comboBox_panels"
                                << "QComboBox"
                                << "centralWidget" << QRect(20, 180, 111, 31);
        QTest::newRow("label") << "label"
                               << "QLabel"
                               << "centralWidget" << QRect(740, 730, 331, 20);
        QTest::newRow("groupBox") << "groupBox"
                                  << "QGroupBox"
                                  << "centralWidget" << QRect(150, 30, 941, 691);
        QTest::newRow("area") << "widget_2"
                              << "QWidget"
                              << "groupBox" << QRect(20, 20, 900, 650);
        QTest::newRow("view") << "graphicsView"
                              << "PlayWidget"
                              << "widget_2" << QRect(50, 40, 800, 550);
        // The frame's place is the panel's business; see the panel tests.
        QTest::newRow("frame") << "widget"
                               << "DragWidget"
                               << "widget_2" << QRect();
        QTest::newRow("progressBar") << "progressBar"
                                     << "SeekBar"
                                     << "centralWidget" << QRect(170, 730, 561, 23);
        QTest::newRow("language") << "comboBox"
                                  << "QComboBox"
                                  << "centralWidget" << QRect(20, 240, 111, 22);
        QTest::newRow("fans") << "checkBox_fans"
                              << "QCheckBox"
                              << "centralWidget" << QRect(20, 280, 111, 22);
        QTest::newRow("picture") << "pushButton_picture"
                                 << "QPushButton"
                                 << "centralWidget" << QRect(20, 320, 111, 32);
    }

    void widgetsHaveTheirClassParentAndPlace()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, parentName);
        QFETCH(QRect, geometry);
        MainWindow& w = newWindow();
        const QList<QWidget*> found = w.findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);
        QWidget* widget = found.first();
        QCOMPARE(QString(widget->metaObject()->className()), className);
        QVERIFY(widget->parentWidget());
        QCOMPARE(widget->parentWidget()->objectName(), parentName);
        if (!geometry.isNull())
            QCOMPARE(widget->geometry(), geometry);
    }

    void windowHasItsSizeTitleAndCentralWidget()
    {
        MainWindow& w = newWindow();
        QCOMPARE(w.objectName(), QString("MainWindow"));
        QCOMPARE(w.size(), QSize(1080, 780));
        // Small enough for a 1366 x 768 screen with its panel; no limit upwards.
        QVERIFY(w.minimumWidth() <= 1000 && w.minimumHeight() <= 680);
        QCOMPARE(w.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QCOMPARE(w.windowTitle(), QString("Rotavis - V2.5"));
        QVERIFY(w.centralWidget());
        QCOMPARE(w.centralWidget()->objectName(), QString("centralWidget"));

        // Below the minimum is refused; the commands keep to the top left.
        Parts ui(w);
        w.resize(600, 400);
        QTRY_COMPARE(w.size(), w.minimumSize());
        QCOMPARE(ui.open->geometry(), QRect(20, 30, 114, 32));
    }

    // The panel box shows the whole of a long name; the picture area makes room for it.
    void panelBoxShowsLongNames()
    {
        const QString name = "Front fan over four rear fans, second floor";
        writeConfig(QString(R"(<panel model="%1" width="100" height="100"/>)").arg(name));
        MainWindow& w = newWindow();
        Parts ui(w);
        QStyleOptionComboBox option;
        option.initFrom(ui.panels);
        const QRect field = ui.panels->style()->subControlRect(
            QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, ui.panels);
        QVERIFY(field.width() >= ui.panels->fontMetrics().horizontalAdvance(name));
        QVERIFY(ui.panels->geometry().right() < ui.groupBox->geometry().left());
        QVERIFY(ui.panels->geometry().right() < ui.progressBar->geometry().left());
    }

    void widgetsHaveTheirLookAndStartValues()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        QCOMPARE(ui.panels->font().pointSize(), 10);
        QCOMPARE(ui.label->font().pointSize(), 12);
        QCOMPARE(ui.label->alignment(), Qt::AlignCenter);
        QCOMPARE(ui.label->text(), QString("00::00 / 00:00"));

        QCOMPARE(ui.area->styleSheet(), QString("background:#000"));
        QVERIFY(!ui.area->autoFillBackground());
        QCOMPARE(ui.view->styleSheet(), QString("background:#000;\nborder:0;"));
        QCOMPARE(ui.view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(ui.view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(ui.view->sizeAdjustPolicy(), QAbstractScrollArea::AdjustIgnored);
        QCOMPARE(ui.frame->styleSheet(),
                 QString(" border: 4px solid red; border-radius: 160px;background:transparent"));
        QCOMPARE(ui.frame->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
        QCOMPARE(ui.frame->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
        QCOMPARE(ui.frame->sizePolicy().horizontalStretch(), 0);
        QCOMPARE(ui.frame->sizePolicy().verticalStretch(), 0);
        // The frame lies on top of the picture.
        const QObjectList stack = ui.area->children();
        QVERIFY(stack.indexOf(ui.view) < stack.indexOf(ui.frame));

        QCOMPARE(ui.progressBar->value(), 0);
        QVERIFY(!ui.progressBar->isTextVisible());
        QCOMPARE(ui.language->count(), 2);
        QCOMPARE(ui.language->itemText(0), QString("中文"));
        QCOMPARE(ui.language->itemText(1), QString("English"));
        QCOMPARE(ui.language->currentIndex(), 0); // the Chinese loaded at start-up
        QVERIFY(!ui.fans->isChecked());

        QVERIFY(ui.open->isEnabled());
        QVERIFY(!ui.preview->isEnabled());
        QVERIFY(!ui.save->isEnabled());
        QVERIFY(ui.frame->isVisible());
        QVERIFY(ui.area->mask().isEmpty());
        QCOMPARE(ui.view->scale, 0.0);
        QVERIFY(ui.view->imageRect.isNull());
        QVERIFY(!ui.timer->isActive());
        QCOMPARE(ui.timer->timerType(), Qt::PreciseTimer);
    }

    // The window starts in Chinese, and the language box says so.
    void startsInChinese()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        QCOMPARE(buttonTexts(ui), chinese);
        QCOMPARE(ui.fans->text(), QString("风扇"));
        QCOMPARE(ui.language->currentText(), QString("中文"));
        QCOMPARE(ui.groupBox->title(), QString("Square"));
    }

    // Qt's own texts (file dialogs, standard buttons) follow the window's language.
    void qtTextsFollowTheLanguage()
    {
        const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        MainWindow& w = newWindow();
        Parts ui(w);
        QVERIFY2(cancel() != "Cancel", qPrintable(cancel()));
        choose(ui.language, 1);
        QCOMPARE(cancel(), QString("Cancel"));
        choose(ui.language, 0);
        QVERIFY(cancel() != "Cancel");
        window.reset();
        QCOMPARE(cancel(), QString("Cancel")); // the window takes its catalogues with it
    }

    void startsUntranslatedWithoutTheChineseCatalogue()
    {
        CatalogueAside aside("zh");
        QVERIFY(aside.moved);
        MainWindow& w = newWindow();
        QCOMPARE(buttonTexts(Parts(w)), english);
        QCOMPARE(Parts(w).language->currentText(), QString("English"));
    }

    void languageBoxRetextsOnlyTheThreeButtons()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        choose(ui.language, 1);
        QCOMPARE(buttonTexts(ui), english);
        choose(ui.language, 0);
        QCOMPARE(buttonTexts(ui), chinese);
        choose(ui.language, 1);
        // Anything but the two items means Chinese.
        emit ui.language->activated(7);
        QCOMPARE(buttonTexts(ui), chinese);

        QCOMPARE(w.windowTitle(), QString("Rotavis - V2.5"));
        QCOMPARE(ui.label->text(), QString("00::00 / 00:00"));
        QCOMPARE(ui.groupBox->title(), QString("Square"));
        QCOMPARE(ui.language->itemText(0), QString("中文"));
        QCOMPARE(ui.language->itemText(1), QString("English"));
    }

    void missingCatalogueGivesUntranslatedTexts()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        QCOMPARE(buttonTexts(ui), chinese);
        CatalogueAside aside("en");
        QVERIFY(aside.moved);
        choose(ui.language, 1);
        // The failed load also dropped the Chinese catalogue.
        QCOMPARE(buttonTexts(ui), english);
        QCOMPARE(translated("stop"), QString("stop"));
    }

    void choosingTheCurrentItemReloadsIt()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        choose(ui.language, 0);
        ui.open->setText("x");
        ui.save->setText("y");
        ui.preview->setText("z");
        choose(ui.language, 0);
        QCOMPARE(buttonTexts(ui), chinese);

        // Reloaded from the disk, not kept: without the file the same choice loses Chinese.
        CatalogueAside aside("zh");
        QVERIFY(aside.moved);
        choose(ui.language, 0);
        QCOMPARE(buttonTexts(ui), english);
    }

    // The language and the panel chosen come back in the next run; a panel that is no
    // longer where it was is found by its name.
    void remembersLanguageAndPanel()
    {
        {
            MainWindow& w = newWindow();
            Parts ui(w);
            choose(ui.language, 1);
            choose(ui.panels, 1);
        }
        window.reset();
        MainWindow& w = newWindow();
        Parts ui(w);
        QCOMPARE(buttonTexts(ui), english);
        QCOMPARE(ui.language->currentText(), QString("English"));
        QCOMPARE(ui.panels->currentIndex(), 1);
        QCOMPARE(ui.groupBox->title(), QString("Wide pair"));
        QCOMPARE(ui.frame->geometry(), QRect(50, 115, 800, 400));

        window.reset();
        writeConfig(QString(twoPanels).replace("Square", "Other"));
        MainWindow& moved = newWindow();
        QCOMPARE(Parts(moved).panels->currentIndex(), 1);
        window.reset();
        writeConfig(R"(<panel model="Wide pair" width="200" height="100"/>
                       <panel model="Square" width="320" height="320"/>)");
        MainWindow& renumbered = newWindow();
        QCOMPARE(Parts(renumbered).panels->currentIndex(), 0);
    }

    void panelsAreListedInFileOrderWithTheirNames()
    {
        writeConfig(R"(<panel model="A" width="100" height="100"/>
                       <panel model="" width="200" height="100"/>
                       <panel model="A" width="100" height="200"/>
                       <panel model="B" width="300" height="100"/>)");
        MainWindow& w = newWindow();
        Parts ui(w);
        QCOMPARE(ui.panels->count(), 4);
        const QStringList names{"A", "", "A", "B"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(ui.panels->itemText(i), names.at(i));
        QCOMPARE(ui.panels->currentIndex(), 0);
        QCOMPARE(ui.groupBox->title(), QString("A"));
        QVERIFY(ui.panels->isEnabled());
    }

    // Each choice gives the frame its panel's proportions, as large as the view allows
    // (no picture yet: the view at (50, 40), 800 x 550), centred on it.
    void choosingAPanelFitsTheFrame_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QRect>("frame");
        QTest::newRow("square") << 0 << "A" << QRect(175, 40, 550, 550);
        QTest::newRow("unnamed 2:1") << 1 << "" << QRect(50, 115, 800, 400);
        // The second "A" is the third panel, not the first one of that name.
        QTest::newRow("duplicate name, 1:2") << 2 << "A" << QRect(312, 40, 275, 550);
        // 300:100 into 800 wide gives 266 high (truncated), centred 142 below the top.
        QTest::newRow("3:1") << 3 << "B" << QRect(50, 182, 800, 266);
    }

    void choosingAPanelFitsTheFrame()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(QRect, frame);
        writeConfig(R"(<panel model="A" width="100" height="100"/>
                       <panel model="" width="200" height="100"/>
                       <panel model="A" width="100" height="200"/>
                       <panel model="B" width="300" height="100"/>)");
        MainWindow& w = newWindow();
        Parts ui(w);
        choose(ui.panels, 3 - index); // start from another panel
        choose(ui.panels, index);
        QCOMPARE(ui.groupBox->title(), title);
        QCOMPARE(ui.frame->geometry(), frame);
        QCOMPARE(ui.frame->minimumSize(), frame.size());
        QCOMPARE(ui.frame->maximumSize(), frame.size());
    }

    void choosingTheCurrentPanelAgainResetsTheFrame()
    {
        MainWindow& w = newWindow();
        Parts ui(w);
        QCOMPARE(ui.frame->geometry(), QRect(175, 40, 550, 550));
        // The operator has moved the frame and it has lost its shape.
        ui.frame->setFixedSize(90, 300);
        ui.frame->move(3, 7);
        choose(ui.panels, 0);
        QCOMPARE(ui.frame->geometry(), QRect(175, 40, 550, 550));
        QCOMPARE(ui.groupBox->title(), QString("Square"));
    }

    void emptyInstallationComesUpWithANotice_data()
    {
        QTest::addColumn<QString>("panels"); // null: no file at all
        QTest::newRow("no fanconfig.xml") << QString();
        QTest::newRow("no panel in it") << QString("<!-- nothing installed yet -->");
        QTest::newRow("only other elements") << QString("<fan diameter=\"10\" ledpcs=\"8\"/>");
    }

    void emptyInstallationComesUpWithANotice()
    {
        QFETCH(QString, panels);
        if (panels.isNull())
            removeConfig();
        else
            writeConfig(panels);
        MainWindow& w = newWindow();
        Parts ui(w);
        QCOMPARE(ui.panels->count(), 0);
        QCOMPARE(ui.groupBox->title(), QString());
        QVERIFY(ui.open->isEnabled());
        QVERIFY(!ui.preview->isEnabled());
        QVERIFY(!ui.save->isEnabled());
        // Without a panel the frame keeps the form's square, fitted into the whole view.
        QCOMPARE(ui.frame->geometry(), QRect(175, 40, 550, 550));

        const QList<QMessageBox*> boxes = w.findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        QMessageBox* notice = boxes.first();
        QCOMPARE(notice->windowTitle(), translated("No panel"));
        QCOMPARE(notice->icon(), QMessageBox::Warning);
        QVERIFY(notice->text().contains(QDir::toNativeSeparators(configPath())));
        QVERIFY(!notice->isModal());
        QVERIFY(notice->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // The language box still works.
        choose(ui.language, 1);
        QCOMPARE(buttonTexts(ui), english);
    }

    void playTimeIsHoursMinutesSecondsWithoutZeros_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << "0:0:0";
        QTest::newRow("1 h 2 min 3 s") << 3723000 << "1:2:3";
        QTest::newRow("a day is dropped") << 90061000 << "1:1:1";
        QTest::newRow("exactly one day") << 86400000 << "0:0:0";
        QTest::newRow("milliseconds are not shown") << 59999 << "0:0:59";
        QTest::newRow("just under an hour") << 3599999 << "0:59:59";
        QTest::newRow("two-digit fields") << 45296000 << "12:34:56";
        QTest::newRow("largest int") << 2147483647 << "20:31:23";
    }

    void playTimeIsHoursMinutesSecondsWithoutZeros()
    {
        QFETCH(int, ms);
        QFETCH(QString, text);
        QCOMPARE(formatTime(ms), text);
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
