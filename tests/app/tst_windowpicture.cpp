// The picture dialog in the real window: the picture, the frame and the fan view follow its
// values live, "reset" brings them back, the values are remembered, and a save with them
// says so and writes what the converter writes of a clip adjusted beforehand.
#include "adjustmentformula.h"
#include "fandataset.h"
#include "messagecapture.h"
#include "noiseimage.h"
#include "picturedialog.h"
#include "windowtesting.h"

#include <QDoubleSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace WindowTesting;

namespace {

const char* const panels =
    R"xml(<panel model="Pair" hz="18" width="128" height="64">
         <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
         <fan diameter="64" ledpcs="64" x="96" y="32" z="0"/>
       </panel>)xml";

const TestAdjustments::Values chosen{-0.1, 1.4, 1.8, 0.6, 90, true};

// Sets the dialog's controls as the operator would.
void setInDialog(PictureDialog* dialog, const TestAdjustments::Values& v)
{
    const std::pair<const char*, double> numbers[] = {{"number_brightness", v.brightness},
                                                      {"number_contrast", v.contrast},
                                                      {"number_saturation", v.saturation},
                                                      {"number_gamma", v.gamma}};
    for (const auto& number : numbers)
        dialog->findChild<QDoubleSpinBox*>(number.first)->setValue(number.second);
    auto* rotation = dialog->findChild<QComboBox*>("comboBox_rotation");
    rotation->setCurrentIndex(rotation->findData(v.rotation));
    dialog->findChild<QCheckBox*>("checkBox_mirror")->setChecked(v.mirror);
}

// What a window shows once the picture (or the fan view) has settled.
struct Shown
{
    QImage picture;
    QRect frame;
};

} // namespace

class TestWindowPicture : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MessageCapture> messages;
    QTemporaryDir media;
    QString original; // 160 x 100 of noise
    QString adjusted; // the same, adjusted beforehand with `chosen`

    Shown shownAfter(const std::function<void(MainWindow&, Parts&)>& act, bool fans)
    {
        DialogAnswerer dialogs;
        MainWindow window;
        window.show();
        Parts ui(window);
        ui.fans->setChecked(fans);
        act(window, ui);
        Shown shown;
        if (fans) {
            if (!QTest::qWaitFor([&] { return !shownPicture(ui.view).isNull(); }, 10000))
                return {};
            QTest::qWait(200); // a stale answer would have come by now
        }
        shown.picture = shownPicture(ui.view).convertToFormat(QImage::Format_RGB888);
        shown.frame = ui.frame->geometry();
        return shown;
    }

private slots:
    void initTestCase()
    {
        messages = std::make_unique<MessageCapture>();
        QVERIFY(media.isValid());
        const QImage noise = noiseImage(160, 100, 5);
        original = media.filePath("noise.png");
        QVERIFY(noise.save(original));
        adjusted = media.filePath("adjusted.png");
        QVERIFY(TestAdjustments::adjusted(noise, chosen).save(adjusted));
        writeConfig(panels);
    }

    void init() { freshSettings(); }
    void cleanupTestCase() { removeConfig(); }

    // The dialog's values on the opened picture show what the picture adjusted beforehand
    // shows, picture and fan view alike; the frame is fitted onto the turned picture.
    void dialogFollowsLive_data()
    {
        QTest::addColumn<bool>("fans");
        QTest::newRow("picture") << false;
        QTest::newRow("fan view") << true;
    }

    void dialogFollowsLive()
    {
        QFETCH(bool, fans);
        DialogAnswerer dialogs;
        const Shown expected =
            shownAfter([&](MainWindow&, Parts& ui) { open(ui.open, dialogs, adjusted); }, fans);
        freshSettings();
        const Shown live = shownAfter(
            [&](MainWindow& window, Parts& ui) {
                open(ui.open, dialogs, original);
                window.findChild<QPushButton*>("pushButton_picture")->click();
                setInDialog(window.findChild<PictureDialog*>(), chosen);
            },
            fans);
        QVERIFY(!expected.picture.isNull());
        QCOMPARE(live.frame, expected.frame);
        QVERIFY(live.picture == expected.picture);
    }

    // "reset" brings back the picture as it is; the values are remembered either way.
    void resetAndRemember()
    {
        DialogAnswerer dialogs;
        const Shown plain =
            shownAfter([&](MainWindow&, Parts& ui) { open(ui.open, dialogs, original); }, false);
        const Shown reset = shownAfter(
            [&](MainWindow& window, Parts& ui) {
                open(ui.open, dialogs, original);
                auto* dialog = window.findChild<PictureDialog*>();
                setInDialog(dialog, chosen);
                dialog->findChild<QPushButton*>("pushButton_reset")->click();
                QVERIFY(dialog->values().unchanged());
            },
            false);
        QVERIFY(reset.picture == plain.picture);
        QCOMPARE(reset.frame, plain.frame);

        {
            MainWindow window;
            setInDialog(window.findChild<PictureDialog*>(), chosen);
        }
        const Shown remembered =
            shownAfter([&](MainWindow&, Parts& ui) { open(ui.open, dialogs, original); }, false);
        freshSettings();
        const Shown expected =
            shownAfter([&](MainWindow&, Parts& ui) { open(ui.open, dialogs, adjusted); }, false);
        QVERIFY(remembered.picture == expected.picture);
    }

    // A save with adjustments names those that are not neutral in the "Saved" box and writes
    // the files of the picture adjusted beforehand.
    void saveNamesTheValuesAndWritesTheAdjustedPicture()
    {
        QTemporaryDir output;
        QVERIFY(output.isValid());
        TestAdjustments::Values values = chosen;
        values.brightness = 0;
        const QString beforehand = output.filePath("beforehand.png");
        QVERIFY(TestAdjustments::adjusted(noiseImage(160, 100, 5), values).save(beforehand));
        QString savedText[2];
        QStringList words;
        const auto save = [&](const QString& input, const QString& name, bool adjust,
                              QString* text) {
            DialogAnswerer dialogs;
            MainWindow window;
            window.show();
            Parts ui(window);
            open(ui.open, dialogs, input);
            if (adjust)
                setInDialog(window.findChild<PictureDialog*>(), values);
            startSave(ui.save, dialogs, name, output.path());
            dialogs.accept(); // "Saved"
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.pending(), 0, 30000);
            QTRY_COMPARE_WITH_TIMEOUT(window.jobState(), MainWindow::JobState::Idle, 30000);
            *text = dialogs.seen().last().text;
            // In the window's language, while its catalogue is loaded.
            words.clear();
            for (const char* source :
                 {"Picture: %1", "contrast", "saturation", "gamma", "mirrored", "brightness"})
                words << translated(source).arg("");
        };
        save(beforehand, "reference", false, &savedText[0]);
        save(original, "adjusted", true, &savedText[1]);
        QVERIFY2(!savedText[0].contains(words.first()), qPrintable(savedText[0]));
        // Brightness is neutral: it is not named.
        for (int i = 0; i < words.size(); ++i)
            QVERIFY2(savedText[1].contains(words.at(i)) == (i < words.size() - 1),
                     qPrintable(savedText[1] + " / " + words.at(i)));

        for (int fan = 0; fan < 2; ++fan) {
            QFile a(FanDataSet::fileName(output.filePath("adjusted"), fan, 2));
            QFile b(FanDataSet::fileName(output.filePath("reference"), fan, 2));
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            const QByteArray expected = b.readAll();
            QVERIFY(!expected.isEmpty());
            QVERIFY(a.readAll() == expected);
        }
    }
};

QTEST_MAIN(TestWindowPicture)
#include "tst_windowpicture.moc"
