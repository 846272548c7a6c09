#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "app/Application.h"
#include "app/NameOnlyIconProvider.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/ApplicationErrors.h"
#include "run/MapRun.h"
#include "tests/support/Files.h"

namespace morvik {
namespace {

constexpr uint32_t kTick = 987654321;

// Stands in for the desktop's browser.
class Browser : public QObject {
    Q_OBJECT

  public slots:
    void Open(const QUrl& url) { opened << url; }

  public:
    QList<QUrl> opened;
};

// An environment variable set (or, to a null value, unset) for a while.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const QByteArray& value)
        : name_(name), was_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name)) {
        Set(value, !value.isNull());
    }
    ~ScopedVariable() { Set(was_, wasSet_); }

  private:
    void Set(const QByteArray& value, bool set) const {
        if (set) {
            qputenv(name_, value);
        } else {
            qunsetenv(name_);
        }
    }

    const char* name_;
    QByteArray was_;
    bool wasSet_;
};

// Types a file name into the save dialog and presses Enter, as a user would.
void ChooseFile(QWidget* dialog, const QString& fileName) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(fileName);
    QTest::keyClick(name, Qt::Key_Return);
}

// The two windows as the program makes them, on a generator of their own
// whose clock stands still.
class Program : public testing::Test {
  protected:
    Program() {
        SetUpApplication();
        form1.show();
        form2 = std::make_unique<TForm2>(form1);
        form1.SetMapView(form2.get());
        QApplication::setActiveWindow(&form1);
    }

    const Ui::TForm1& Form1() const { return form1.Controls(); }
    const Ui::TForm2& Form2() const { return form2->Controls(); }
    static void Click(QWidget* widget, QPoint at = QPoint()) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }
    void ClickMenu(QAction* item) {
        QMenuBar* bar = form2->menuBar();
        Click(bar, bar->actionGeometry(item).center());
    }
    void SetSize(int width, int height) {
        Form1().WV->SetNValue(width);
        Form1().HV->SetNValue(height);
    }
    void RunToEnd() {
        while (form1.Running()) form1.Timer1Timer();
    }
    // What the batch tool makes of the same run: the control window's
    // roughness 1 and sea 5 at first.
    struct ExpectedMap {
        MapPicture picture;
        int32_t seaCells;
    };
    static ExpectedMap Expected(int width, int height, bool coastline = false) {
        MapRun run(
            {.width = width, .height = height, .roughness = 1, .seaShare = 5, .tick = kTick});
        run.Complete();
        return {run.Picture(coastline ? MapView::kCoastline : MapView::kColour), run.SeaCells()};
    }
    // Its picture, read by Qt, in the map bitmap's format.
    static QImage Picture(const ExpectedMap& map) {
        const ZeroedVector<uint8_t>& image = map.picture.image;
        return QImage::fromData(image.data(), static_cast<int>(image.size()), "BMP")
            .convertToFormat(QImage::Format_RGBX8888);
    }
    // Answers the next modal dialog once it is open.
    static void Answer(std::function<void(QWidget*)> answer) {
        QTimer::singleShot(0, [answer] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr) {
                Answer(answer);
                return;
            }
            answer(dialog);
        });
    }

    FixedTickSource ticks{kTick};
    std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
    TForm1 form1{*terrain};
    std::unique_ptr<TForm2> form2;
};

TEST_F(Program, StartsWithItsDescribedStateAndTheScreenAsLimit) {
    EXPECT_EQ(form1.windowTitle(), "Morvik");
    EXPECT_EQ(form2->windowTitle(), "マップビュー");
    EXPECT_FALSE(form1.windowIcon().pixmap(32).isNull()) << "the windows carry our icon";
    EXPECT_EQ(QFontInfo(Form1().WV->font()).pixelSize(), 16);
    EXPECT_EQ(form1.centralWidget()->size(), QSize(128, 184));
    EXPECT_EQ(form1.minimumSize(), form1.maximumSize()) << "a fixed window";
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(Form1().WV->Max(), std::min(1280, screen.width()));
    EXPECT_EQ(Form1().HV->Max(), std::min(1024, screen.height()));
    EXPECT_EQ(Form1().WV->NValue(), 160);
    EXPECT_EQ(Form1().WV->text(), "160");
    EXPECT_EQ(Form1().WV->Min(), 160);
    EXPECT_EQ(Form1().HV->NValue(), 120);
    EXPECT_EQ(Form1().HV->text(), "120");
    EXPECT_EQ(Form1().HV->Min(), 120);
    EXPECT_EQ(Form1().UDNumeralEdit1->NValue(), 100);
    EXPECT_EQ(Form1().Panel1->text(), "1");
    EXPECT_EQ(
        std::tuple(Form1().UpDown1->Min(), Form1().UpDown1->Max(), Form1().UpDown1->Position()),
        std::tuple(1, 5, 1));
    EXPECT_EQ(
        std::tuple(Form1().UpDown2->Min(), Form1().UpDown2->Max(), Form1().UpDown2->Position()),
        std::tuple(1, 9, 5));
    EXPECT_EQ(Form1().Gauge1->Progress(), 50);
    EXPECT_EQ(form1.MapBitmap().size(), QSize(160, 120));

    EXPECT_EQ(form2->ClientSize(), QSize(160, 120));
    EXPECT_EQ(form2->pos().x(), form1.frameGeometry().left() + 134);
    EXPECT_EQ(Form2().RI->pos(), QPoint(160, 120)) << "just outside the client area";
    EXPECT_FALSE(Form2().Image1->isEnabled());
    EXPECT_EQ(Form2().Image1->Bitmap().size(), QSize(160, 120));
    const TZMinMax& limiter = *form2->ZMinMax1();
    EXPECT_EQ(limiter.Form(), form2.get()) << "hooked, and passing everything on";
    EXPECT_FALSE(limiter.Enabled());
    EXPECT_FALSE(limiter.LockUp());
    EXPECT_EQ(limiter.MaxSizeMode(), TZMinMax::msmValue);
    EXPECT_EQ(limiter.MinSizeX(), 160);
    EXPECT_EQ(limiter.MaxSizeX(), std::min(1280, screen.width()));
    EXPECT_EQ(limiter.MaxSizeY(), std::min(1024, screen.height()));
    EXPECT_FALSE(form2->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form2->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(form1.windowFlags() & Qt::WindowMaximizeButtonHint);

    // Tab reaches the visible controls only, in their order.
    Form1().Button1->setFocus();
    QStringList reached;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(reached, (QStringList{"WV", "HV", "UpDown1", "UpDown2", "Button1"}));
}

TEST_F(Program, ACompleteRunTickByTick) {
    SetSize(200, 150);
    Click(Form1().Button1);
    ASSERT_TRUE(form1.Running());
    EXPECT_EQ(Form1().Button1->text(), "中断");
    EXPECT_FALSE(Form2().Image1->isEnabled());
    EXPECT_EQ(form2->ClientSize(), QSize(200, 150));
    const GenerationJob& job = terrain->Job();
    EXPECT_EQ(job.TotalIterations, 1000);  // 30000 / 50 + 400

    ASSERT_EQ(job.IterationsDone, 0);
    std::vector<int> gauge;
    while (job.IterationsDone < job.TotalIterations) {
        const int32_t before = job.IterationsDone;
        form1.Timer1Timer();
        EXPECT_EQ(Form1().Edit1->text(), QString::number(before));
        gauge.push_back(Form1().Gauge2->Progress());
    }
    ASSERT_EQ(gauge.size(), 1000u);
    EXPECT_EQ(gauge.front(), 255) << "the first tick takes less than one step";
    EXPECT_TRUE(std::is_sorted(gauge.rbegin(), gauge.rend())) << "the gauge only empties";
    EXPECT_EQ(gauge[499], 128) << "half way";
    EXPECT_EQ(gauge.back(), 0) << "the last iteration tick";
    EXPECT_FALSE(form2->ViewItemsEnabled());

    form1.Timer1Timer();  // the finishing tick
    EXPECT_FALSE(form1.Running());
    EXPECT_EQ(Form1().Button1->text(), "作成");
    EXPECT_EQ(Form1().Gauge2->Progress(), 0);
    EXPECT_TRUE(Form2().Image1->isEnabled());
    EXPECT_TRUE(form2->isVisible());
    const ExpectedMap map = Expected(200, 150);
    EXPECT_EQ(Form2().Image1->Bitmap(), Picture(map));
    EXPECT_EQ(Form1().Edit1->text(), QString::number(map.seaCells));
    EXPECT_EQ(Form1().Edit2->text(), QString::number(map.picture.extremes.highest));
    EXPECT_EQ(Form1().Edit3->text(), QString::number(map.picture.extremes.lowest));
    EXPECT_TRUE(form2->ViewItemsEnabled());
    EXPECT_EQ(Form2().N3->text(), "-");
    EXPECT_FALSE(Form2().N3->isEnabled()) << "a separator is never chosen";
    EXPECT_EQ(Form2().N4->text(), "海岸線のみ");
    EXPECT_TRUE(Form2().N4->isEnabled());
}

TEST_F(Program, TheTimerCarriesARunToItsEndOneIterationATick) {
    Click(Form1().Button1);
    // qWaitFor would sleep between its looks, and every look would be one tick.
    QTimer bound;
    bound.setSingleShot(true);
    bound.start(60000);
    while (form1.Running() && bound.isActive()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ASSERT_FALSE(form1.Running());
    EXPECT_EQ(terrain->Job().IterationsDone, 784);
    EXPECT_EQ(Form2().Image1->Bitmap(), Picture(Expected(160, 120)));
}

TEST_F(Program, AnAbortKeepsTheRawHeightsAndTheImageOff) {
    Click(Form1().Button1);
    for (int i = 0; i < 100; ++i) form1.Timer1Timer();
    const int32_t done = terrain->Job().IterationsDone;
    Click(Form1().Button1);
    EXPECT_FALSE(form1.Running());
    EXPECT_EQ(Form1().Button1->text(), "作成");
    EXPECT_EQ(Form1().Gauge2->Progress(), 255);
    EXPECT_FALSE(Form2().Image1->isEnabled());
    EXPECT_FALSE(form2->ViewItemsEnabled());

    FixedTickSource sameTicks(kTick);
    auto replay = std::make_unique<Terrain>(sameTicks, kLargestProgramMap);
    const MapSize size(160, 120);
    replay->StartGeneration(size, 1, 5, 160, 120);
    for (int32_t i = 0; i < done; ++i) replay->CircleIteration(size);
    for (int32_t x = 0; x < 160; x += 7) {
        for (int32_t y = 0; y < 120; y += 5) {
            ASSERT_EQ(terrain->Heights().At(x, y), replay->Heights().At(x, y));
        }
    }

    Click(Form1().Button1);
    EXPECT_TRUE(form1.Running()) << "a new run starts";
    EXPECT_EQ(terrain->Job().IterationsDone, 0);
}

TEST_F(Program, ViewsSwitchThroughTheirMenuStates) {
    Click(Form1().Button1);
    RunToEnd();
    const QString highest = Form1().Edit2->text();

    ClickMenu(Form2().N4);
    EXPECT_EQ(Form2().Image1->Bitmap(), Picture(Expected(160, 120, true)));
    EXPECT_EQ(Form2().N3->text(), "通常表示");
    EXPECT_TRUE(Form2().N3->isEnabled());
    EXPECT_EQ(Form2().N4->text(), "-");
    EXPECT_FALSE(Form2().N4->isEnabled());
    EXPECT_EQ(Form1().Edit2->text(), highest) << "the coastline leaves the extremes";

    ClickMenu(Form2().N3);
    EXPECT_EQ(Form2().Image1->Bitmap(), Picture(Expected(160, 120)));
    EXPECT_EQ(Form2().N3->text(), "-");
    EXPECT_EQ(Form2().N4->text(), "海岸線のみ");

    // The hidden button lowers every cell once and draws again.
    form1.Button3Click();
    EXPECT_EQ(Form1().Edit2->text().toInt(), highest.toInt() - 1);

    ClickMenu(Form2().N4);
    Click(Form1().Button1);  // a new run from the coastline view
    EXPECT_FALSE(Form2().Image1->isEnabled());
    EXPECT_EQ(Form2().Image1->grab().toImage().convertToFormat(QImage::Format_RGBX8888),
              Form2().Image1->Bitmap())
        << "a disabled map is shown as it is, never greyed";
    EXPECT_EQ(Form2().N3->text(), "-");
    EXPECT_EQ(Form2().N4->text(), "海岸線のみ");
    EXPECT_FALSE(Form2().N4->isEnabled());
}

TEST_F(Program, ParametersFollowMousePressesNotKeys) {
    TUpDown* roughness = Form1().UpDown1;
    Click(roughness, QPoint(roughness->width() - 4, 8));
    EXPECT_EQ(roughness->Position(), 2);
    EXPECT_EQ(Form1().Panel1->text(), "2");
    roughness->setFocus();
    QTest::keyClick(roughness, Qt::Key_Right);
    EXPECT_EQ(roughness->Position(), 3);
    EXPECT_EQ(Form1().Panel1->text(), "2") << "a key changes neither panel nor gauge";

    TUpDown* sea = Form1().UpDown2;
    Click(sea, QPoint(4, 8));
    EXPECT_EQ(sea->Position(), 4);
    EXPECT_EQ(Form1().Gauge1->Progress(), 40);
    EXPECT_EQ(Form1().Gauge1->PercentDone(), 40);

    Click(Form1().Button1);
    EXPECT_EQ(terrain->Job().TotalIterations, 3 * (19200 / 50) + 3 * 400);
    EXPECT_EQ(terrain->Job().SeaTarget, 400);
}

TEST_F(Program, TheArrowsShowWhenTheKeyboardIsOnThem) {
    TUpDown* roughness = Form1().UpDown1;
    const QImage unfocused = roughness->grab().toImage();
    Form1().HV->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(roughness->hasFocus());
    EXPECT_NE(roughness->grab().toImage(), unfocused);
    QTest::keyClick(roughness, Qt::Key_Tab);
    EXPECT_EQ(roughness->grab().toImage(), unfocused);
}

// How many pixels of an area of a widget show the highlight colour.
int HighlightedPixels(QWidget* widget, const QRect& area) {
    const QImage shown = widget->grab(area).toImage();
    const QRgb highlight = widget->palette().color(QPalette::Highlight).rgb();
    int count = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) count += shown.pixel(x, y) == highlight;
    }
    return count;
}

TEST_F(Program, TheMapViewMenuShowsWhereTheKeyboardIs) {
    Click(Form1().Button1);
    RunToEnd();
    QMenuBar* bar = form2->menuBar();
    const QRect save = bar->actionGeometry(Form2().N1);
    EXPECT_EQ(HighlightedPixels(bar, save), 0);

    QApplication::setActiveWindow(form2.get());
    QTest::keyClick(form2.get(), Qt::Key_Alt);
    ASSERT_EQ(bar->activeAction(), Form2().N1);
    EXPECT_GT(HighlightedPixels(bar, save), save.width() * save.height() / 2);
    QList<QAction*> reached;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(bar, Qt::Key_Right);
        reached << bar->activeAction();
    }
    EXPECT_EQ(reached, (QList<QAction*>{Form2().N4, Form2().N1, Form2().N4, Form2().N1}))
        << "separators are passed over";
    QTest::keyClick(bar, Qt::Key_Escape);
    EXPECT_EQ(HighlightedPixels(bar, save), 0);
}

TEST_F(Program, TheMenuExtensionDrawsSeparatorItemsAsLines) {
    form2->resize(40, form2->height());  // too narrow for the bar's items
    auto* extension = form2->menuBar()->findChild<QToolButton*>("qt_menubar_ext_button");
    ASSERT_NE(extension, nullptr);
    ASSERT_TRUE(extension->isVisible());
    const QMenu* overflow = extension->menu();
    ASSERT_NE(overflow, nullptr);
    ASSERT_TRUE(overflow->actions().contains(Form2().N2));
    const int commandHeight = overflow->actionGeometry(Form2().N1).height();
    for (QAction* separator : {Form2().N2, Form2().N3, Form2().N5}) {
        EXPECT_LT(overflow->actionGeometry(separator).height(), commandHeight / 2)
            << separator->objectName().toStdString() << " is a line, not a caption";
    }
}

TEST_F(Program, SizesFlowBothWays) {
    SetSize(321, 234);
    Click(Form1().Button1);
    EXPECT_EQ(form1.MapBitmap().size(), QSize(321, 234));
    EXPECT_EQ(Form2().Image1->Bitmap().size(), QSize(321, 234));
    EXPECT_EQ(form2->ClientSize(), QSize(321, 234));
    EXPECT_EQ(Form2().RI->pos(), QPoint(321, 234));

    // By hand, during the run: only the next run's inputs change.
    const int menuHeight = form2->height() - 234;
    form2->resize(400, 300 + menuHeight);
    EXPECT_EQ(form2->ClientSize(), QSize(400, 300));
    EXPECT_EQ(Form1().WV->NValue(), 400);
    EXPECT_EQ(Form1().HV->NValue(), 300);
    form2->resize(50, 40 + menuHeight);
    EXPECT_EQ(form2->ClientSize(), QSize(50, 40)) << "the window sizes freely";
    EXPECT_EQ(Form1().WV->NValue(), 160) << "the inputs clamp";
    EXPECT_EQ(Form1().HV->NValue(), 120);
    EXPECT_EQ(Form2().RI->pos(), QPoint(50, 40));
    RunToEnd();
    EXPECT_EQ(Form2().Image1->Bitmap().size(), QSize(321, 234));
    EXPECT_EQ(Form2().Image1->size(), QSize(321, 234)) << "the image takes its bitmap's size";
}

TEST_F(Program, TheProgressBarIsTheButtonFaceOfThePalette) {
    TGauge* progress = Form1().Gauge2;
    const QPalette original = QApplication::palette();
    const QColor face = original.color(QPalette::Button);
    EXPECT_EQ(progress->ForeColor(), face);

    const QColor otherFace(12, 34, 56);
    QPalette changed = original;
    changed.setColor(QPalette::Button, otherFace);
    QApplication::setPalette(changed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->ForeColor() == otherFace; }, 5000));
    const QImage shown = progress->grab().toImage();
    QApplication::setPalette(original);
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), otherFace);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->ForeColor() == face; }, 5000)) << "and back";
}

TEST_F(Program, AboutBoxAndHomePage) {
    const QStringList lines{"Morvik　モルヴィク", "Version " MORVIK_VERSION, "",
                            "HomePage ： https://www.example.com/quillon/",
                            "E-mail ： quillon@example.com"};
    EXPECT_EQ(TForm1::AboutText(), lines.join("\n\r"));
    QString caption;
    QString text;
    Answer([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->accept();
    });
    Form1().About1->trigger();
    EXPECT_EQ(caption, "Ashgrove");
    EXPECT_EQ(text, lines.join("\n")) << "five lines, each pair one break";

    Browser browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    Form1().QuillonHomePage1->trigger();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(kMakerHomePage)});
}

TEST_F(Program, AHomePageThatCannotBeOpenedIsReported) {
    // No browser to be found and no handler for the address: the desktop
    // opens nothing (offscreen, it has no services at all).
    QTemporaryDir empty;
    const ScopedVariable path("PATH", QFile::encodeName(empty.path()));
    const ScopedVariable browser("BROWSER", {});
    const ScopedVariable defaultBrowser("DEFAULT_BROWSER", {});
    QStringList messages;
    QList<QWidget*> windows;
    const ErrorHandler previous =
        SetApplicationErrorHandler([&](const std::exception& error, QWidget* window) {
            messages << QString::fromUtf8(error.what());
            windows << window;
        });
    const auto restore = qScopeGuard([&] { SetApplicationErrorHandler(previous); });

    Form1().QuillonHomePage1->trigger();
    EXPECT_EQ(messages, QStringList{"ホームページ https://www.example.com/quillon/ を開けません"});
    EXPECT_EQ(windows, QList<QWidget*>{&form1}) << "the control window's own error";
}

class ProgramSave : public Program {
  protected:
    // Saves through the map view's menu (or `start`), answering the real dialog.
    void SaveAs(const QString& fileName, const std::function<void()>& start = {}) {
        Answer([fileName](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(files, nullptr);
            EXPECT_EQ(files->nameFilters(),
                      (QStringList{"ビットマップ (*.bmp)", "すべてのファイル (*.*)"}));
            EXPECT_EQ(files->defaultSuffix(), "bmp");
            EXPECT_NE(dynamic_cast<const NameOnlyIconProvider*>(files->iconProvider()), nullptr)
                << "the file list is shown without reading the files";
            ChooseFile(files, fileName);
        });
        if (start) {
            start();
        } else {
            ClickMenu(Form2().N1);
        }
    }

    QTemporaryDir folder;
};

TEST_F(ProgramSave, SavesTheFileTheBatchToolMakes) {
    SetSize(240, 180);
    Click(Form1().Button1);
    RunToEnd();
    SaveAs(folder.filePath("map"));

    QProcess batch;
    batch.start(MORVIK_BATCH_PATH, {"generate", "-o", folder.filePath("batch.bmp"), "--width",
                                    "240", "--height", "180", "--tick", QString::number(kTick)});
    ASSERT_TRUE(batch.waitForFinished(60000));
    ASSERT_EQ(batch.exitCode(), 0);
    const QByteArray saved = ReadFile(folder.filePath("map.bmp"));
    ASSERT_TRUE(QFile::exists(folder.filePath("map.bmp"))) << "the default suffix is added";
    EXPECT_EQ(saved, ReadFile(folder.filePath("batch.bmp")));

    // A cancelled dialog changes nothing.
    Answer([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    ClickMenu(Form2().N1);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);

    // A click on the map saves too, but only once a run has completed.
    SaveAs(folder.filePath("clicked.bmp"), [&] { Click(Form2().Image1); });
    EXPECT_EQ(ReadFile(folder.filePath("clicked.bmp")), saved);
    Click(Form1().Button1);  // a run: the image is off
    bool asked = false;
    Answer([&](QWidget* dialog) {
        asked = true;
        static_cast<QDialog*>(dialog)->reject();
    });
    Click(Form2().Image1);
    EXPECT_FALSE(asked);
    ClickMenu(Form2().N1);  // the menu saves at any time
    EXPECT_TRUE(asked);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3);
}

TEST_F(ProgramSave, TakesTheNameAsTypedWhateverTheFileType) {
    Click(Form1().Button1);
    RunToEnd();
    // Typed first, then the file type chosen with the keyboard: Qt's own
    // dialog gives the name the pattern's extension as the type switches.
    const QString bitmaps = "ビットマップ (*.bmp)";
    const QString allFiles = "すべてのファイル (*.*)";
    const struct {
        QString typed;
        QString type;
        QString saved;
    } saves[] = {
        {"map.bmp", allFiles, "map.bmp"},  // never map.*
        {"map2", bitmaps, "map2.bmp"},
        {"photo.png", allFiles, "photo.png"},
        {"plain", allFiles, "plain.bmp"},
        {"pattern.*", allFiles, "pattern.bmp"},  // a wildcard is no extension
    };
    for (const auto& save : saves) {
        QString typeChosen;
        Answer([&](QWidget* dialog) {
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            ASSERT_NE(name, nullptr);
            ASSERT_NE(types, nullptr);
            name->setText(folder.filePath(save.typed));
            QTest::keyClick(types, save.type == allFiles ? Qt::Key_End : Qt::Key_Home);
            typeChosen = static_cast<QFileDialog*>(dialog)->selectedNameFilter();
            QTest::keyClick(name, Qt::Key_Return);
        });
        ClickMenu(Form2().N1);
        EXPECT_EQ(typeChosen, save.type) << save.typed.toStdString();
        EXPECT_TRUE(QFile::exists(folder.filePath(save.saved))) << save.typed.toStdString();
    }

    // Any other wildcard is a pattern, which names no file.
    bool stayedOpen = false;
    Answer([&](QWidget* dialog) {
        ChooseFile(dialog, folder.filePath("ma?.bmp"));
        stayedOpen = dialog->isVisible();
        static_cast<QDialog*>(dialog)->reject();
    });
    ClickMenu(Form2().N1);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
              (QStringList{"map.bmp", "map2.bmp", "pattern.bmp", "photo.png", "plain.bmp"}));
}

TEST_F(ProgramSave, AFailedSaveIsShownAndTheProgramGoesOn) {
    const QString missing = folder.filePath("no such folder/map.bmp");
    QString caption;
    QString message;
    QWidget* owner = nullptr;
    Answer([&](QWidget* dialog) {
        ChooseFile(dialog, missing);
        Answer([&](QWidget* box) {
            ASSERT_NE(qobject_cast<QMessageBox*>(box), nullptr);
            caption = box->windowTitle();
            owner = box->parentWidget();
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
    });
    ClickMenu(Form2().N1);
    EXPECT_EQ(caption, "Morvik");
    EXPECT_EQ(message, "ﾌｧｲﾙ " + missing + " を作成できません") << message.toStdString();
    EXPECT_EQ(owner, form2.get()) << "the box belongs to the window the user saved from";
    EXPECT_TRUE(form1.isVisible());
    EXPECT_TRUE(form2->isVisible());

    Click(Form1().Button1);
    EXPECT_TRUE(form1.Running()) << "the program goes on";
}

}  // namespace
}  // namespace morvik

#include "ProgramTest.moc"
